#include "ReviewedInstants.h"

#include <chrono>

// The instants are JPL's DE431, read through the Swiss Ephemeris 2.10 data
// files (semo_18.se1, sepl_18.se1): the moment the apparent geocentric
// ecliptic longitudes of the Moon and the Sun (of date, with light time,
// aberration and nutation) are equal, or the Sun's reaches the term's
// longitude, found to a millisecond and rounded to 0.1 s. DE431 gives the new
// moon of 1977 February 18 at 3h37m39.9s TT, where Meeus quotes 3h37m40s from
// the full lunar theory.
//
// The comment of each entry is its JST clock time with this generator's
// TT - UT, and how far the series lies from it.

namespace velmora::lunar {
namespace {

constexpr ReviewedNewMoon kNewMoons[] = {
    {73, {2005, 12, 1, 15, 2, 0.6}},    // 2005-12-02 00:00:56 JST; series 3.0 s early
    {212, {2017, 2, 26, 14, 59, 31.4}}, // 2017-02-26 23:58:21 JST; series 2.0 s early
    {641, {2051, 11, 3, 15, 0, 34.3}},  // 2051-11-03 23:59:00 JST; series 11.0 s late
    {923, {2074, 8, 22, 15, 1, 32.7}},  // 2074-08-22 23:59:35 JST; series 0.7 s early
    {1200, {2097, 1, 13, 15, 3, 6.5}},  // 2097-01-14 00:00:40 JST; series 4.8 s late
};

constexpr ReviewedTerm kTerms[] = {
    // 2053-01-19 23:59:02 JST, the last day of month 11 of lunar 2052;
    // series 8.2 s early.
    {300, {2053, 1, 19, 15, 0, 38.1}},
};

} // namespace

double jdeOf(const TtMoment& m) {
    using namespace std::chrono;
    const sys_days d{year{m.year} / m.month / m.day};
    return 2440587.5 + static_cast<double>(d.time_since_epoch().count()) +
           ((m.hour * 60.0 + m.minute) * 60.0 + m.second) / 86400.0;
}

std::span<const ReviewedNewMoon> reviewedNewMoons() {
    return kNewMoons;
}

std::span<const ReviewedTerm> reviewedTerms() {
    return kTerms;
}

} // namespace velmora::lunar
