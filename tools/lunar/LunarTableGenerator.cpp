// Writes src/calendar/LunarTableData.cpp: the month starts of the Japanese
// old calendar for lunar years 1970..2100, computed from the ephemeris.
//
//   velmora-lunar-gen --output FILE   write the table to FILE
//   velmora-lunar-gen --check FILE    regenerate and compare with FILE byte
//                                     for byte (both options may be given)
//   velmora-lunar-gen --report        list the irregular months, the events
//                                     dated from reviewed instants and the
//                                     instants closest to JST midnight
//
// Every run first checks the ephemeris against worked examples and the table
// against dates known from published almanacs, and fails before writing
// anything if one is off.

#include "Astronomy.h"
#include "LunarCalendar.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora::lunar {
namespace {

constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2100;
constexpr int kExpectedLeapRows = 48;
constexpr int kExpectedJanuaryTwelfthRows = 90;

void require(bool condition, const std::string& what) {
    if (!condition) {
        throw std::runtime_error(what);
    }
}

void requireNear(double value, double expected, double tolerance, const std::string& what) {
    char text[160];
    std::snprintf(text, sizeof text, "%s: %.9f, expected %.9f", what.c_str(), value, expected);
    require(std::fabs(value - expected) <= tolerance, text);
}

// Worked examples of the series, to catch a mistyped coefficient.
void checkEphemeris() {
    // New moon of February 1977.
    requireNear(newMoonJde(-283), 2443192.65118, 0.00001, "new moon k=-283");

    // The Earth and the Sun on 1992 October 13.0 TT.
    const HeliocentricEarth earth = heliocentricEarth(2448908.5);
    requireNear(earth.longitude, -43.63484796, 2e-8, "VSOP87 L");
    requireNear(earth.latitude, -0.00000312, 1e-8, "VSOP87 B");
    requireNear(earth.radius, 0.99760775, 1e-8, "VSOP87 R");
    const double sunArcsec = apparentSun(2448908.5).longitude * 3600.0;
    requireNear(sunArcsec, (199.0 * 60.0 + 54.0) * 60.0 + 21.818, 0.02, "apparent Sun, arcsec");

    // Nutation on 1987 April 10.0 TT.
    requireNear(nutationInLongitudeArcsec(2446895.5), -3.788, 0.005, "nutation in longitude");

    // The June solstice of 1962, 21h24m42s TT by the full theory; five
    // seconds allow for the truncated series.
    requireNear(solarLongitudeJde(90.0, 2437835.0), 2437836.5 + (21.0 + 24.0 / 60.0 + 42.0 / 3600.0) / 24.0,
                5.0 / 86400.0, "June solstice 1962");
}

std::string rowText(const Row& row) {
    std::string s;
    for (std::size_t i = 0; i < row.size(); ++i) {
        char v[16];
        std::snprintf(v, sizeof v, "%s%4d", i == 0 ? "" : ", ", row[i]);
        s += v;
    }
    return s;
}

struct Counts {
    int leapRows = 0;
    int januaryTwelfthRows = 0;
};

// The layout of a row only works when every month start but month 12's lies
// in the lunar year's own civil year, and month 12's at latest in January of
// the next.
Counts checkLayout(const OldCalendar& cal) {
    Counts counts;
    std::map<int, bool> hasLeap;
    std::map<int, bool> januaryTwelfth;
    for (const LunarMonth& m : cal.months) {
        if (m.number == 0 || m.lunarYear < kFirstYear || m.lunarYear > kLastYear) {
            continue;
        }
        const CivilDate d = civilDate(m.startDay);
        const std::string what = (m.leap ? "leap month " : "month ") + std::to_string(m.number) + " of lunar year " +
                                 std::to_string(m.lunarYear) + " begins " + formatDate(m.startDay) +
                                 ", outside the dates its row can hold";
        if (!m.leap && m.number == 12) {
            require(d.year == m.lunarYear || (d.year == m.lunarYear + 1 && d.month == 1), what);
            januaryTwelfth[m.lunarYear] = d.year != m.lunarYear;
        } else {
            require(d.year == m.lunarYear, what);
        }
        if (m.leap) {
            require(!hasLeap[m.lunarYear], "two leap months in lunar year " + std::to_string(m.lunarYear));
            hasLeap[m.lunarYear] = true;
        }
    }
    for (const auto& [year, leap] : hasLeap) {
        counts.leapRows += leap ? 1 : 0;
    }
    for (const auto& [year, january] : januaryTwelfth) {
        counts.januaryTwelfthRows += january ? 1 : 0;
    }
    return counts;
}

long long dayOf(int year, int month, int day) {
    const std::chrono::sys_days d{std::chrono::year{year} / month / day};
    return d.time_since_epoch().count();
}

const LunarMonth* monthStartingOn(const OldCalendar& cal, long long day) {
    for (const LunarMonth& m : cal.months) {
        if (m.startDay == day && m.number != 0) {
            return &m;
        }
    }
    return nullptr;
}

void checkKnownMonth(const OldCalendar& cal, int y, int mo, int d, int lunarYear, int number, bool leap) {
    const LunarMonth* m = monthStartingOn(cal, dayOf(y, mo, d));
    const std::string what = formatDate(dayOf(y, mo, d)) + " should begin " + (leap ? "leap month " : "month ") +
                             std::to_string(number) + " of lunar year " + std::to_string(lunarYear);
    require(m != nullptr, what + ", but no month begins then");
    require(m->lunarYear == lunarYear && m->number == number && m->leap == leap, what);
}

void checkTable(const OldCalendar& cal, const std::map<int, Row>& rows) {
    for (int year = kFirstYear; year <= kLastYear; ++year) {
        require(rows.count(year) == 1, "lunar year " + std::to_string(year) + " is incomplete");
    }
    const std::pair<int, Row> samples[] = {
        {1970, {206, 308, 406, 505, 604, 704, 802, 901, 930, 1030, 1129, 1228, 0}},
        {1971, {127, 225, 327, 425, 524, 722, 821, 919, 1019, 1118, 1218, 116, 623}},
        {2023, {122, 220, 420, 520, 618, 718, 816, 915, 1015, 1113, 1213, 111, 322}},
        {2033, {131, 301, 331, 429, 528, 627, 726, 825, 923, 1023, 1122, 120, 1222}},
        {2100, {209, 311, 410, 509, 608, 707, 806, 904, 1004, 1102, 1201, 1231, 0}},
    };
    for (const auto& [year, expected] : samples) {
        require(rows.at(year) == expected, "lunar year " + std::to_string(year) + " came out " +
                                               rowText(rows.at(year)) + ", expected " + rowText(expected));
    }

    checkKnownMonth(cal, 2023, 3, 22, 2023, 2, true);
    checkKnownMonth(cal, 1972, 1, 16, 1971, 12, false);
    checkKnownMonth(cal, 1971, 6, 23, 1971, 5, true);
    checkKnownMonth(cal, 2033, 12, 22, 2033, 11, true);
    checkKnownMonth(cal, 2024, 2, 10, 2024, 1, false);
    checkKnownMonth(cal, 2025, 1, 29, 2025, 1, false);
    checkKnownMonth(cal, 2026, 2, 17, 2026, 1, false);
    // The new moon 40 s after midnight: a TT - UT a minute too large once
    // dated it on the 13th.
    checkKnownMonth(cal, 2097, 1, 14, 2096, 12, false);

    const Counts counts = checkLayout(cal);
    require(counts.leapRows == kExpectedLeapRows, std::to_string(counts.leapRows) +
                                                      " lunar years have a leap month, expected " +
                                                      std::to_string(kExpectedLeapRows));
    require(counts.januaryTwelfthRows == kExpectedJanuaryTwelfthRows,
            std::to_string(counts.januaryTwelfthRows) + " lunar years have month 12 in January, expected " +
                std::to_string(kExpectedJanuaryTwelfthRows));
}

std::string tableSource(const std::map<int, Row>& rows) {
    std::ostringstream out;
    out << "// Generated by tools/lunar (velmora-lunar-gen); do not edit.\n"
           "// Month starts of the Japanese old calendar from true new moons and principal\n"
           "// solar terms dated in Japan Standard Time; see tools/lunar/LunarCalendar.cpp.\n"
           "\n"
           "#include \"calendar/LunarTable.h\"\n"
           "\n"
           "namespace velmora {\n"
           "\n"
           "// clang-format off\n"
           "static const std::array<LunarTableRow, kLunarYears> kLunarTableRows = {{\n";
    for (int year = kFirstYear; year <= kLastYear; ++year) {
        out << "    {{" << rowText(rows.at(year)) << "}}, // " << year << "\n";
    }
    out << "}};\n"
           "// clang-format on\n"
           "\n"
           "const std::array<LunarTableRow, kLunarYears>& lunarTable() {\n"
           "    return kLunarTableRows;\n"
           "}\n"
           "\n"
           "} // namespace velmora\n";
    return out.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        result.push_back(line);
    }
    return result;
}

// Byte-for-byte comparison; on a difference, names the first differing line.
bool sameAsFile(const std::string& text, const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "velmora-lunar-gen: cannot read %s\n", path.c_str());
        return false;
    }
    const std::string committed{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (committed == text) {
        return true;
    }
    const std::vector<std::string> want = lines(text);
    const std::vector<std::string> have = lines(committed);
    std::size_t i = 0;
    while (i < want.size() && i < have.size() && want[i] == have[i]) {
        ++i;
    }
    std::fprintf(stderr, "velmora-lunar-gen: %s is not the current table; first difference at line %zu\n", path.c_str(),
                 i + 1);
    std::fprintf(stderr, "  file:      %s\n", i < have.size() ? have[i].c_str() : "(end of file)");
    std::fprintf(stderr, "  generated: %s\n", i < want.size() ? want[i].c_str() : "(end of file)");
    return false;
}

bool writeFile(const std::string& text, const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        std::fprintf(stderr, "velmora-lunar-gen: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

std::string clockText(long long day, double minuteOfDay) {
    const long long seconds = std::llround(minuteOfDay * 60.0);
    char text[48];
    std::snprintf(text, sizeof text, "%s %02lld:%02lld:%02lld JST", formatDate(day).c_str(), seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
    return text;
}

std::string monthName(const LunarMonth& m) {
    return "lunar " + std::to_string(m.lunarYear) + (m.leap ? " leap " : " month ") + std::to_string(m.number);
}

void printReport(const OldCalendar& cal) {
    std::printf("Months whose number their principal terms alone would not give:\n");
    for (std::size_t i : cal.irregularMonths) {
        const LunarMonth& m = cal.months[i];
        std::string terms;
        for (int t : m.termLongitudes) {
            terms += " " + std::to_string(t);
        }
        std::printf("  %s  %s, terms:%s\n", formatDate(m.startDay).c_str(), monthName(m).c_str(),
                    terms.empty() ? " none" : terms.c_str());
    }

    struct Event {
        double minutes;
        std::string text;
    };
    auto printClosest = [](std::vector<Event> events, const char* title) {
        std::sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.minutes < b.minutes; });
        std::printf("%s\n", title);
        for (std::size_t i = 0; i < events.size() && i < 10; ++i) {
            std::printf("  %5.2f min  %s\n", events[i].minutes, events[i].text.c_str());
        }
    };

    std::printf("Dated from reviewed instants (series, then reviewed):\n");
    for (const LunarMonth& m : cal.months) {
        if (m.reviewed) {
            const JstMoment series = toJst(m.seriesJde);
            std::printf("  new moon %s -> %s, %s\n", clockText(series.dayNumber, series.minuteOfDay).c_str(),
                        clockText(m.startDay, m.startMinuteOfDay).c_str(), monthName(m).c_str());
        }
    }
    for (const PrincipalTerm& t : cal.terms) {
        if (t.reviewed) {
            const JstMoment series = toJst(t.seriesJde);
            std::printf("  term %d %s -> %s\n", t.longitude, clockText(series.dayNumber, series.minuteOfDay).c_str(),
                        clockText(t.day, t.minuteOfDay).c_str());
        }
    }

    // Every new moon sets a value of the table, so each one's distance to
    // midnight is a margin.
    std::vector<Event> moons;
    for (const LunarMonth& m : cal.months) {
        if (m.number != 0 && m.lunarYear >= kFirstYear && m.lunarYear <= kLastYear) {
            moons.push_back({std::fmin(m.startMinuteOfDay, 1440.0 - m.startMinuteOfDay),
                             "new moon " + clockText(m.startDay, m.startMinuteOfDay) +
                                 (m.reviewed ? " (reviewed)" : "") + ", " + monthName(m)});
        }
    }
    printClosest(moons, "New moons closest to JST midnight:");

    // A principal term only matters where the midnight next to it is a month
    // boundary: crossing that midnight would move it into the other month.
    std::vector<Event> terms;
    for (const PrincipalTerm& t : cal.terms) {
        // The month beginning on the term's day or on the day after, if any.
        const auto next = std::lower_bound(cal.months.begin(), cal.months.end(), t.day,
                                           [](const LunarMonth& m, long long day) { return m.startDay < day; });
        if (next == cal.months.begin() || next == cal.months.end() || next->startDay > t.day + 1 || next->number == 0 ||
            next->lunarYear < kFirstYear || next->lunarYear > kLastYear) {
            continue;
        }
        const std::string what = "term " + std::to_string(t.longitude) + " " + clockText(t.day, t.minuteOfDay) +
                                 (t.reviewed ? " (reviewed)" : "");
        if (next->startDay == t.day) {
            terms.push_back({t.minuteOfDay, what + ", first day of " + monthName(*next)});
        } else {
            terms.push_back({1440.0 - t.minuteOfDay, what + ", last day of " + monthName(*std::prev(next))});
        }
    }
    printClosest(terms, "Principal terms closest to a month boundary:");
}

int run(int argc, char** argv) {
    std::string output;
    std::string check;
    bool report = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--output" && i + 1 < argc) {
            output = argv[++i];
        } else if (arg == "--check" && i + 1 < argc) {
            check = argv[++i];
        } else if (arg == "--report") {
            report = true;
        } else {
            std::fprintf(stderr, "usage: velmora-lunar-gen [--output FILE] [--check FILE] [--report]\n");
            return 2;
        }
    }
    if (output.empty() && check.empty() && !report) {
        std::fprintf(stderr, "usage: velmora-lunar-gen [--output FILE] [--check FILE] [--report]\n");
        return 2;
    }

    checkEphemeris();
    // One solstice more on either side than the table needs, so that its first
    // and last rows are computed like every other.
    const OldCalendar cal = computeOldCalendar(kFirstYear - 2, kLastYear + 2);
    const std::map<int, Row> rows = tableRows(cal);
    checkTable(cal, rows);
    const std::string text = tableSource(rows);

    if (report) {
        printReport(cal);
    }
    bool ok = true;
    if (!output.empty()) {
        ok = writeFile(text, output) && ok;
    }
    if (!check.empty()) {
        ok = sameAsFile(text, check) && ok;
    }
    return ok ? 0 : 1;
}

} // namespace
} // namespace velmora::lunar

int main(int argc, char** argv) {
    try {
        return velmora::lunar::run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora-lunar-gen: %s\n", e.what());
        return 1;
    }
}
