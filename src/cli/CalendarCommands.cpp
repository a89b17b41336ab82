#include "cli/CliCommands.h"

#include "calendar/CalendarState.h"
#include "core/DateText.h"

#include <ostream>

namespace velmora::cli {

namespace {

int parseYear(const std::string& text) {
    try {
        std::size_t used = 0;
        const int y = std::stoi(text, &used);
        if (used == text.size() && y >= kMinYear && y <= kMaxYear) {
            return y;
        }
    } catch (const std::exception&) {
    }
    throw UsageError{"not a year 1..9999: " + text};
}

DateValue parseDay(const std::string& text) {
    const auto d = parseDate(text);
    if (!d) {
        throw UsageError{"not a date yyyy/mm/dd: " + text};
    }
    return *d;
}

const char* kindName(EntryKind kind) {
    switch (kind) {
    case EntryKind::Dated:
        return "dated";
    case EntryKind::Yearly:
        return "yearly";
    case EntryKind::Monthly:
        return "monthly";
    case EntryKind::Weekly:
        return "weekly";
    }
    return "";
}

} // namespace

int runDay(CliContext& context, const std::vector<std::string>& args) {
    if (args.size() != 1) {
        throw UsageError{"day takes a date"};
    }
    const DateValue date = parseDay(args[0]);
    Session session(context, false, false);
    Settings settings = session.state.settings;
    settings.calenFlag = 0; // the cell of the one-month calendar
    CalendarState calendar(settings.holidayList);
    calendar.holidayPass(settings, date.startOfMonth(), session.schedule, context.now().datePart());
    for (const EntryHit& hit : cellEntries(date, calendar.entryContext(session.schedule, settings))) {
        context.out << kindName(hit.kind) << '\t' << hit.key << '\t' << hit.colour << '\t' << hit.face << '\t'
                    << hit.text << '\n';
    }
    return kOk;
}

int runHolidays(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) {
        throw UsageError{"holidays takes a year, or a first and a last year"};
    }
    const int from = parseYear(args[0]);
    const int to = args.size() > 1 ? parseYear(args[1]) : from;
    if (to < from) {
        throw UsageError{"the last year comes before the first"};
    }
    Session session(context, false, false);
    Settings settings = session.state.settings;
    settings.calenFlag = 0; // what the one-month calendar shows
    HolidayCalendar holidays(settings.holidayList);
    const HolidaySources sources = holidaySourcesOf(session.schedule);
    for (int year = from; year <= to; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const DateValue first = *DateValue::fromDate(year, month, 1);
            holidays.computeHolidays(settings, first, sources);
            for (int day = 1; day <= daysInMonth(year, month); ++day) {
                const DateValue d = first.addDays(day - 1);
                const std::string name = holidays.lookup(d);
                if (!name.empty()) {
                    context.out << formatDate(d) << '\t' << name << '\n';
                }
            }
        }
    }
    return kOk;
}

int runOldCalendar(CliContext& context, const std::vector<std::string>& args) {
    if (args.empty() || args.size() > 2) {
        throw UsageError{"oldcal takes a date, or a first and a last date"};
    }
    const DateValue from = parseDay(args[0]);
    const DateValue to = args.size() > 1 ? parseDay(args[1]) : from;
    if (to < from) {
        throw UsageError{"the last date comes before the first"};
    }
    const std::vector<LunarMonthStart> months = buildLunarMonthList();
    OldCalendarDays days;
    int builtFor = -1;
    for (int n = from.dayNumber(); n <= to.dayNumber(); ++n) {
        const DateValue d = DateValue::fromDayNumber(n);
        const DateValue month = d.startOfMonth();
        if (month.dayNumber() != builtFor) {
            days.build(months, month);
            builtFor = month.dayNumber();
        }
        context.out << formatDate(d);
        if (const auto old = days.find(d)) {
            context.out << '\t' << old->dateText() << '\t' << kRokuyouNames[static_cast<std::size_t>(old->rokuyou)]
                        << '\t' << (old->leap ? 1 : 0) << '\n';
        } else {
            context.out << "\t\t\t\n";
        }
    }
    return kOk;
}

} // namespace velmora::cli
