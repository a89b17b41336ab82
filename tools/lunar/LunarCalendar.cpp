#include "LunarCalendar.h"

#include "Astronomy.h"
#include "ReviewedInstants.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>

// How months are numbered.
//
// A lunar month runs from the JST civil date of one new moon up to the day
// before the next. It holds a principal term when the term's JST civil date
// lies in that range. The month holding the winter solstice is month 11, and
// the months between two such months ("a span") are counted from there:
//
//  - A span of 12 months is numbered 11, 12, 1, ..., 10 with no leap month,
//    even when one of its months holds no principal term (another month of
//    the span then holds two).
//  - A span of 13 months has exactly one leap month: the first month of the
//    span that holds no principal term. It repeats the number of the month
//    before it; the count then carries on.
//
// Usually every month holds one term and these rules agree with naming each
// month by its term. Where they cannot agree (a termless month in a 12-month
// span, or a month with two terms), the winter solstice stays the anchor of
// month 11 and a leap month is only ever inserted where a span has room for
// one. The generator checks that this keeps the spring equinox in month 2 and
// the summer solstice in month 5 in every year; the autumn equinox may then
// leave month 8, and only in such spans. In 2033 this gives: the 2032-33 span
// has 12 months, so the termless month from 25 August is month 8 and the
// autumn equinox falls in month 9; the 2033-34 span has 13 months, two of
// them termless, and the first, from 22 December, becomes leap 11, so that
// month 12 begins on 20 January and the spring equinox keeps month 2.
//
// Months 11 and 12 (and a leap month after either) belong to the lunar year
// whose month 1 began earlier in the same civil year as the solstice; months
// 1..10 to the next one.

namespace velmora::lunar {
namespace {

constexpr double kTropicalYearDays = 365.24219;
// The spring equinox of 2000, a starting point for guessing the others.
constexpr double kEquinox2000Jde = 2451623.81;

double jdeOfCivilDate(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days d{std::chrono::year{year} / month / day};
    return 2440587.5 + static_cast<double>(d.time_since_epoch().count());
}

void require(bool condition, const std::string& what) {
    if (!condition) {
        throw std::runtime_error(what);
    }
}

double minutesFromMidnight(const JstMoment& m) {
    return std::fmin(m.minuteOfDay, 1440.0 - m.minuteOfDay);
}

// An event the series puts near a midnight that matters must be reviewed.
void requireNoReviewNeeded(const JstMoment& series, bool midnightMatters, const std::string& what) {
    char text[64];
    std::snprintf(text, sizeof text, " lies %.1f s from JST midnight", minutesFromMidnight(series) * 60.0);
    require(!midnightMatters || minutesFromMidnight(series) >= kReviewWindowMinutes,
            what + text + " by the series and has no reviewed instant (tools/lunar/ReviewedInstants.cpp)");
}

// A reviewed instant stands for the series only where the series needs it,
// and only close to it; otherwise the list has gone stale or holds a typo.
double useReviewed(double reviewed, double series, const JstMoment& seriesJst, const std::string& what) {
    char text[96];
    std::snprintf(text, sizeof text, ": the reviewed instant lies %.1f s from the series",
                  (reviewed - series) * 86400.0);
    require(std::fabs(reviewed - series) * 86400.0 <= kReviewToleranceSeconds, what + text);
    require(minutesFromMidnight(seriesJst) < kReviewWindowMinutes,
            what + " has a reviewed instant but lies farther than the window from JST midnight");
    return reviewed;
}

bool containsTerm(const LunarMonth& m, int longitude) {
    return std::find(m.termLongitudes.begin(), m.termLongitudes.end(), longitude) != m.termLongitudes.end();
}

} // namespace

int monthOfTerm(int longitude) {
    return (longitude / 30 + 1) % 12 + 1;
}

CivilDate civilDate(long long dayNumber) {
    using namespace std::chrono;
    const year_month_day ymd{sys_days{days{dayNumber}}};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

std::string formatDate(long long dayNumber) {
    const CivilDate d = civilDate(dayNumber);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

OldCalendar computeOldCalendar(int firstSolsticeYear, int lastSolsticeYear) {
    OldCalendar cal;
    // A margin of two months on either side covers the first month 11 and the
    // end of the last span.
    const double from = jdeOfCivilDate(firstSolsticeYear, 10, 1);
    const double to = jdeOfCivilDate(lastSolsticeYear + 1, 3, 1);

    for (int k = lunationNear(from); k <= lunationNear(to); ++k) {
        const double series = newMoonJde(k);
        const JstMoment seriesJst = toJst(series);
        const std::string what = "the new moon k=" + std::to_string(k) + " of " + formatDate(seriesJst.dayNumber);
        const auto reviewed = std::find_if(reviewedNewMoons().begin(), reviewedNewMoons().end(),
                                           [k](const ReviewedNewMoon& r) { return r.lunation == k; });
        LunarMonth m;
        m.lunation = k;
        m.seriesJde = series;
        m.startJde = series;
        if (reviewed != reviewedNewMoons().end()) {
            m.startJde = useReviewed(jdeOf(reviewed->instant), series, seriesJst, what);
            m.reviewed = true;
        } else {
            requireNoReviewNeeded(seriesJst, true, what);
        }
        const JstMoment jst = toJst(m.startJde);
        m.startDay = jst.dayNumber;
        m.startMinuteOfDay = jst.minuteOfDay;
        cal.months.push_back(m);
    }
    for (std::size_t i = 1; i < cal.months.size(); ++i) {
        const long long length = cal.months[i].startDay - cal.months[i - 1].startDay;
        require(length == 29 || length == 30,
                "month of " + std::to_string(length) + " days from " + formatDate(cal.months[i - 1].startDay));
    }
    auto isMonthStart = [&cal](long long day) {
        const auto it = std::lower_bound(cal.months.begin(), cal.months.end(), day,
                                         [](const LunarMonth& m, long long d) { return m.startDay < d; });
        return it != cal.months.end() && it->startDay == day;
    };

    // A principal term needs care only next to a month boundary, where
    // crossing midnight would move it into the other month.
    std::vector<bool> termReviewUsed(reviewedTerms().size());
    const int firstTerm = static_cast<int>(std::floor((from - kEquinox2000Jde) * 12.0 / kTropicalYearDays));
    const int lastTerm = static_cast<int>(std::ceil((to - kEquinox2000Jde) * 12.0 / kTropicalYearDays));
    for (int n = firstTerm; n <= lastTerm; ++n) {
        const int longitude = ((n % 12 + 12) % 12) * 30;
        const double series = solarLongitudeJde(longitude, kEquinox2000Jde + n * kTropicalYearDays / 12.0);
        const JstMoment seriesJst = toJst(series);
        const std::string what = "the term " + std::to_string(longitude) + " of " + formatDate(seriesJst.dayNumber);
        const auto reviewed = std::find_if(reviewedTerms().begin(), reviewedTerms().end(), [&](const ReviewedTerm& r) {
            return r.longitude == longitude && std::fabs(jdeOf(r.instant) - series) < 2.0;
        });
        PrincipalTerm t;
        t.longitude = longitude;
        t.seriesJde = series;
        t.jde = series;
        if (reviewed != reviewedTerms().end()) {
            t.jde = useReviewed(jdeOf(reviewed->instant), series, seriesJst, what);
            t.reviewed = true;
            termReviewUsed[static_cast<std::size_t>(reviewed - reviewedTerms().begin())] = true;
        } else {
            const long long nearestMidnight = seriesJst.dayNumber + (seriesJst.minuteOfDay < 720.0 ? 0 : 1);
            requireNoReviewNeeded(seriesJst, isMonthStart(nearestMidnight), what);
        }
        const JstMoment jst = toJst(t.jde);
        t.day = jst.dayNumber;
        t.minuteOfDay = jst.minuteOfDay;
        cal.terms.push_back(t);
    }
    for (std::size_t i = 0; i < termReviewUsed.size(); ++i) {
        const ReviewedTerm& r = reviewedTerms()[i];
        const double jde = jdeOf(r.instant);
        require(termReviewUsed[i] || jde < from || jde > to, "the reviewed term " + std::to_string(r.longitude) +
                                                                 " of " + std::to_string(r.instant.year) +
                                                                 " matches no computed term");
    }

    // The month a civil day lies in; the last month has no known end.
    auto monthOfDay = [&cal](long long day) -> std::size_t {
        const auto after = std::upper_bound(cal.months.begin(), cal.months.end(), day,
                                            [](long long d, const LunarMonth& m) { return d < m.startDay; });
        const auto index = static_cast<std::size_t>(after - cal.months.begin());
        require(index > 0 && index < cal.months.size(), "no computed month holds " + formatDate(day));
        return index - 1;
    };
    for (const PrincipalTerm& t : cal.terms) {
        if (t.day >= cal.months.front().startDay && t.day < cal.months.back().startDay) {
            cal.months[monthOfDay(t.day)].termLongitudes.push_back(t.longitude);
        }
    }
    for (const PrincipalTerm& t : cal.terms) {
        const int year = civilDate(t.day).year;
        if (t.longitude == 270 && year >= firstSolsticeYear && year <= lastSolsticeYear) {
            require(cal.solsticeMonth.count(year) == 0, "two winter solstices in " + std::to_string(year));
            cal.solsticeMonth[year] = monthOfDay(t.day);
        }
    }
    for (int year = firstSolsticeYear; year <= lastSolsticeYear; ++year) {
        require(cal.solsticeMonth.count(year) == 1, "no winter solstice found in " + std::to_string(year));
    }

    for (int year = firstSolsticeYear; year < lastSolsticeYear; ++year) {
        const std::size_t a = cal.solsticeMonth.at(year);
        const std::size_t b = cal.solsticeMonth.at(year + 1);
        const std::size_t count = b - a;
        require(count == 12 || count == 13, "the span from the solstice month of " + std::to_string(year) + " has " +
                                                std::to_string(count) + " months");
        std::size_t leapAt = b; // none
        if (count == 13) {
            for (std::size_t i = a + 1; i < b; ++i) {
                if (cal.months[i].termLongitudes.empty()) {
                    leapAt = i;
                    break;
                }
            }
            require(leapAt < b,
                    "13 months but none without a principal term after the solstice of " + std::to_string(year));
        }
        int number = 10;
        for (std::size_t i = a; i < b; ++i) {
            LunarMonth& m = cal.months[i];
            if (i == leapAt) {
                m.leap = true;
            } else {
                number = number % 12 + 1;
            }
            m.number = number;
            m.lunarYear = number >= 11 ? year : year + 1;

            const bool named = !m.leap && m.termLongitudes.size() == 1 && monthOfTerm(m.termLongitudes[0]) == number;
            const bool termlessLeap = m.leap && m.termLongitudes.empty();
            if (!named && !termlessLeap) {
                cal.irregularMonths.push_back(i);
            }
        }
    }

    // The anchors: the solstices and the spring equinox never move. The
    // autumn equinox may only leave month 8 in a span with an irregular month.
    for (int year = firstSolsticeYear; year < lastSolsticeYear; ++year) {
        const std::size_t a = cal.solsticeMonth.at(year);
        const std::size_t b = cal.solsticeMonth.at(year + 1);
        bool irregular = false;
        for (std::size_t i : cal.irregularMonths) {
            irregular = irregular || (i >= a && i < b);
        }
        for (std::size_t i = a; i < b; ++i) {
            const LunarMonth& m = cal.months[i];
            const std::string where = "the month from " + formatDate(m.startDay);
            require(!containsTerm(m, 0) || (m.number == 2 && !m.leap),
                    where + " holds the spring equinox but is not month 2");
            require(!containsTerm(m, 90) || (m.number == 5 && !m.leap),
                    where + " holds the summer solstice but is not month 5");
            require(!containsTerm(m, 180) || (m.number == 8 && !m.leap) || irregular,
                    where + " holds the autumn equinox but is not month 8, in a regular span");
        }
    }
    return cal;
}

std::map<int, Row> tableRows(const OldCalendar& calendar) {
    std::map<int, Row> rows;
    for (const LunarMonth& m : calendar.months) {
        if (m.number == 0) {
            continue;
        }
        const CivilDate d = civilDate(m.startDay);
        Row& row = rows[m.lunarYear];
        const std::size_t index = m.leap ? 12 : static_cast<std::size_t>(m.number - 1);
        require(row[index] == 0, "two months at the same place of lunar year " + std::to_string(m.lunarYear));
        row[index] = d.month * 100 + d.day;
    }
    // Keep only the lunar years whose twelve months all lie in the computed
    // spans; the first and last are cut off.
    for (auto it = rows.begin(); it != rows.end();) {
        const Row& row = it->second;
        const bool complete = std::all_of(row.begin(), row.begin() + 12, [](std::int32_t v) { return v != 0; });
        it = complete ? std::next(it) : rows.erase(it);
    }
    return rows;
}

} // namespace velmora::lunar
