#pragma once

#include <span>

// Instants taken from a full ephemeris for the few events whose JST date the
// series of Astronomy.cpp cannot be trusted to settle. The series are good to
// about 17 s over 1970..2100 for new moons and solar terms alike, so every
// event that decides a month start or a month's terms and lies within
// kReviewWindowMinutes of JST midnight by the series must be listed here, and
// the generator then dates it from the listed instant instead.
namespace velmora::lunar {

inline constexpr double kReviewWindowMinutes = 2.0;
// Farther than this from the series, a listed instant is a typing error or
// belongs to another event.
inline constexpr double kReviewToleranceSeconds = 30.0;

// A moment in Terrestrial Time, written as a calendar date and clock time so
// that it reads like an ephemeris listing.
struct TtMoment {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    double second = 0.0;
};

double jdeOf(const TtMoment& moment);

struct ReviewedNewMoon {
    int lunation = 0; // k of newMoonJde
    TtMoment instant;
};

// A principal term: the Sun's apparent longitude reaches `longitude` degrees.
struct ReviewedTerm {
    int longitude = 0;
    TtMoment instant;
};

std::span<const ReviewedNewMoon> reviewedNewMoons();
std::span<const ReviewedTerm> reviewedTerms();

} // namespace velmora::lunar
