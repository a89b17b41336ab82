#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The months of the Japanese old calendar, numbered from new moons and
// principal solar terms dated in Japan Standard Time.
namespace velmora::lunar {

// A principal solar term: the Sun's apparent longitude reaches a multiple
// of 30 degrees.
struct PrincipalTerm {
    int longitude = 0;        // degrees, 0..330
    double jde = 0.0;         // instant, TT
    long long day = 0;        // JST civil date, days since 1970-01-01
    double minuteOfDay = 0.0; // JST clock time
    double seriesJde = 0.0;   // the instant by the series, when `jde` is a reviewed one
    bool reviewed = false;    // `jde` comes from ReviewedInstants
};

struct LunarMonth {
    long long startDay = 0; // JST civil date of the new moon, days since 1970-01-01
    double startJde = 0.0;
    double startMinuteOfDay = 0.0;   // JST clock time of the new moon
    int lunation = 0;                // k of newMoonJde
    double seriesJde = 0.0;          // the new moon by the series, when `startJde` is a reviewed one
    bool reviewed = false;           // `startJde` comes from ReviewedInstants
    std::vector<int> termLongitudes; // principal terms dated inside the month
    int number = 0;                  // 1..12; 0 outside the numbered spans
    bool leap = false;
    int lunarYear = 0;
};

struct OldCalendar {
    std::vector<PrincipalTerm> terms;
    std::vector<LunarMonth> months;
    // Index in `months` of the month holding the winter solstice, by civil year.
    std::map<int, std::size_t> solsticeMonth;
    // Months whose number differs from what their principal terms alone would
    // give; the numbering rules decide them (see LunarCalendar.cpp).
    std::vector<std::size_t> irregularMonths;
};

// Numbers every month from the winter-solstice month of `firstSolsticeYear` up
// to (not including) that of `lastSolsticeYear`. Lunar years
// firstSolsticeYear + 1 .. lastSolsticeYear - 1 come out complete.
// Throws std::runtime_error when a rule cannot be applied, and when an event
// that the series put near JST midnight has no reviewed instant (or a
// reviewed instant matches no such event).
OldCalendar computeOldCalendar(int firstSolsticeYear, int lastSolsticeYear);

// The month number a principal term names: 270 degrees (winter solstice) is
// month 11, each further 30 degrees one month later.
int monthOfTerm(int longitude);

struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};
CivilDate civilDate(long long dayNumber);

// One table row: months 1..12, then the leap month; civil month * 100 + day.
using Row = std::array<std::int32_t, 13>;
// The rows of the complete lunar years, keyed by lunar year.
std::map<int, Row> tableRows(const OldCalendar& calendar);

std::string formatDate(long long dayNumber);

} // namespace velmora::lunar
