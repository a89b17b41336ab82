#include "HolidayLaw.h"

#include "calendar/Holidays.h"

#include <cmath>
#include <map>

namespace velmora::holidaylaw {

namespace {

constexpr int kSunday = 1;
constexpr int kMonday = 2;
constexpr int kStillInForce = 9999;

enum class Rule { Fixed, NthMonday, SpringEquinox, AutumnEquinox };

struct Holiday {
    const char* name;
    Rule rule;
    int month;
    int day; // the day of the month, or which Monday of it
    int firstYear;
    int lastYear;
};

// Every holiday the law has named, with the years it was kept on that day.
constexpr Holiday kHolidays[] = {
    {"元日", Rule::Fixed, 1, 1, kFirstLawYear, kStillInForce},
    {"成人の日", Rule::Fixed, 1, 15, kFirstLawYear, 1999},
    {"成人の日", Rule::NthMonday, 1, 2, 2000, kStillInForce},
    {"建国記念の日", Rule::Fixed, 2, 11, 1967, kStillInForce},
    {"天皇誕生日", Rule::Fixed, 2, 23, 2020, kStillInForce},
    {"春分の日", Rule::SpringEquinox, 3, 0, kFirstLawYear, kStillInForce},
    {"天皇誕生日", Rule::Fixed, 4, 29, kFirstLawYear, 1988},
    {"みどりの日", Rule::Fixed, 4, 29, 1989, 2006},
    {"昭和の日", Rule::Fixed, 4, 29, 2007, kStillInForce},
    {"憲法記念日", Rule::Fixed, 5, 3, kFirstLawYear, kStillInForce},
    {"みどりの日", Rule::Fixed, 5, 4, 2007, kStillInForce},
    {"こどもの日", Rule::Fixed, 5, 5, kFirstLawYear, kStillInForce},
    {"海の日", Rule::Fixed, 7, 20, 1996, 2002},
    {"海の日", Rule::NthMonday, 7, 3, 2003, 2019},
    // The Olympic Games of 2020, held in 2021, moved three holidays twice.
    {"海の日", Rule::Fixed, 7, 23, 2020, 2020},
    {"スポーツの日", Rule::Fixed, 7, 24, 2020, 2020},
    {"山の日", Rule::Fixed, 8, 10, 2020, 2020},
    {"海の日", Rule::Fixed, 7, 22, 2021, 2021},
    {"スポーツの日", Rule::Fixed, 7, 23, 2021, 2021},
    {"山の日", Rule::Fixed, 8, 8, 2021, 2021},
    {"海の日", Rule::NthMonday, 7, 3, 2022, kStillInForce},
    {"山の日", Rule::Fixed, 8, 11, 2016, 2019},
    {"山の日", Rule::Fixed, 8, 11, 2022, kStillInForce},
    {"敬老の日", Rule::Fixed, 9, 15, 1966, 2002},
    {"敬老の日", Rule::NthMonday, 9, 3, 2003, kStillInForce},
    {"秋分の日", Rule::AutumnEquinox, 9, 0, kFirstLawYear, kStillInForce},
    {"体育の日", Rule::Fixed, 10, 10, 1966, 1999},
    {"体育の日", Rule::NthMonday, 10, 2, 2000, 2018},
    // The renaming was enacted in 2018 for 2020; the official list names the
    // last 体育の日 with its coming name.
    {"体育の日（スポーツの日）", Rule::NthMonday, 10, 2, 2019, 2019},
    {"スポーツの日", Rule::NthMonday, 10, 2, 2022, kStillInForce},
    {"文化の日", Rule::Fixed, 11, 3, kFirstLawYear, kStillInForce},
    {"勤労感謝の日", Rule::Fixed, 11, 23, kFirstLawYear, kStillInForce},
    {"天皇誕生日", Rule::Fixed, 12, 23, 1989, 2018},
};

struct SpecialDay {
    int year;
    int month;
    int day;
    const char* name;
};

// Days off set by a law of their own, named as the official list names them.
constexpr SpecialDay kSpecialDays[] = {
    {1959, 4, 10, "結婚の儀"}, {1989, 2, 24, "大喪の礼"},        {1990, 11, 12, "即位礼正殿の儀"},
    {1993, 6, 9, "結婚の儀"},  {2019, 5, 1, "休日（祝日扱い）"}, {2019, 10, 22, "休日（祝日扱い）"},
};

// A Sunday holiday gives a day off since 1973-04-12: until 2006 the Monday
// (when it is no holiday itself), from 2007 the first day after it that is
// no holiday.
const DateValue kSubstitutesSince = *DateValue::fromDate(1973, 4, 12);
const DateValue kNextFreeDaySince = *DateValue::fromDate(2007, 1, 1);
// A day between two holidays is a day off since 1985-12-27; until 2006 not
// when it is a Sunday or a substitute, from 2007 whenever it is no holiday.
const DateValue kBetweenDaysSince = *DateValue::fromDate(1985, 12, 27);

struct EquinoxCoefficients {
    double spring;
    double autumn;
    int baseYear;
};

std::optional<EquinoxCoefficients> coefficients(int year) {
    if (year >= 1900 && year <= 1979) {
        return EquinoxCoefficients{20.8357, 23.2588, 1983};
    }
    if (year >= 1980 && year <= 2099) {
        return EquinoxCoefficients{20.8431, 23.2488, 1980};
    }
    if (year >= 2100 && year <= 2150) {
        return EquinoxCoefficients{21.8510, 24.2488, 1980};
    }
    return std::nullopt;
}

int equinox(int year, double coefficient, int baseYear) {
    return static_cast<int>(std::trunc((year - 1980) * 0.242194 + coefficient - std::trunc((year - baseYear) / 4.0)));
}

std::optional<DateValue> dateOf(const Holiday& h, int year) {
    switch (h.rule) {
    case Rule::Fixed:
        return DateValue::fromDate(year, h.month, h.day);
    case Rule::NthMonday: {
        const DateValue first = *DateValue::fromDate(year, h.month, 1);
        const int toMonday = (kMonday - first.weekday() + 7) % 7;
        return first.addDays(toMonday + 7 * (h.day - 1));
    }
    case Rule::SpringEquinox:
        if (const auto day = springEquinoxDay(year)) {
            return DateValue::fromDate(year, 3, *day);
        }
        return std::nullopt;
    case Rule::AutumnEquinox:
        if (const auto day = autumnEquinoxDay(year)) {
            return DateValue::fromDate(year, 9, *day);
        }
        return std::nullopt;
    }
    return std::nullopt;
}

// The named holidays and special days of the year, by day number.
void addNamedDays(std::map<int, LawDay>& days, int year) {
    for (const Holiday& h : kHolidays) {
        if (year >= h.firstYear && year <= h.lastYear) {
            if (const auto d = dateOf(h, year)) {
                days[d->dayNumber()] = LawDay{*d, h.name, DayKind::Named};
            }
        }
    }
    for (const SpecialDay& s : kSpecialDays) {
        if (s.year == year) {
            const DateValue d = *DateValue::fromDate(s.year, s.month, s.day);
            days[d.dayNumber()] = LawDay{d, s.name, DayKind::Special};
        }
    }
}

} // namespace

std::optional<int> springEquinoxDay(int year) {
    const auto c = coefficients(year);
    return c ? std::optional<int>(equinox(year, c->spring, c->baseYear)) : std::nullopt;
}

std::optional<int> autumnEquinoxDay(int year) {
    const auto c = coefficients(year);
    return c ? std::optional<int>(equinox(year, c->autumn, c->baseYear)) : std::nullopt;
}

std::vector<LawDay> daysOffByLaw(int year) {
    if (year < kFirstLawYear || year > kLastLawYear) {
        return {};
    }
    // The neighbouring years too: a holiday of December 31 or January 1 may
    // make a day off across the turn of the year.
    std::map<int, LawDay> named;
    for (int y = year - 1; y <= year + 1; ++y) {
        if (y >= kFirstLawYear && y <= kLastLawYear) {
            addNamedDays(named, y);
        }
    }
    const auto isNamed = [&](int n) { return named.count(n) != 0; };

    std::map<int, LawDay> days = named;
    for (const auto& [n, holiday] : named) {
        const DateValue d = holiday.date;
        if (d.weekday() != kSunday || d.addDays(1) < kSubstitutesSince) {
            continue;
        }
        int off = n + 1;
        if (d >= kNextFreeDaySince) {
            while (isNamed(off)) {
                ++off;
            }
        } else if (isNamed(off)) {
            continue;
        }
        days[off] = LawDay{DateValue::fromDayNumber(off), kSubstituteHoliday, DayKind::Substitute};
    }
    for (const auto& [n, holiday] : named) {
        const DateValue between = holiday.date.addDays(1);
        if (between < kBetweenDaysSince || !isNamed(n + 2) || days.count(n + 1) != 0) {
            continue;
        }
        if (between < kNextFreeDaySince && between.weekday() == kSunday) {
            continue;
        }
        days[n + 1] = LawDay{between, kNationalHoliday, DayKind::Between};
    }

    std::vector<LawDay> out;
    for (const auto& [n, day] : days) {
        if (day.date.year() == year) {
            out.push_back(day);
        }
    }
    return out;
}

DayNames lawDays(int firstYear, int lastYear) {
    DayNames out;
    for (int year = firstYear; year <= lastYear; ++year) {
        for (const LawDay& d : daysOffByLaw(year)) {
            out[d.date.dayNumber()] = d.name;
        }
    }
    return out;
}

DayNames inYears(const DayNames& days, int firstYear, int lastYear) {
    DayNames out;
    for (const auto& [n, name] : days) {
        const int year = DateValue::fromDayNumber(n).year();
        if (year >= firstYear && year <= lastYear) {
            out.emplace(n, name);
        }
    }
    return out;
}

} // namespace velmora::holidaylaw
