// Writes the holiday templates a new program folder starts from: the schedule
// data file src/resources/Yasumi.dat (whole) and the HOLIDAY section of
// src/resources/first.ini (every other line of it stays as it is), from
// tools/holidays/holidays.rules.
//
//   velmora-holiday-gen [--root DIR] --write   write both files
//   velmora-holiday-gen [--root DIR] --check   compare with the committed files
//                                              byte for byte (status 1 when they differ)
//
// DIR is the repository (by default the one the tool was built from). Every
// run first has the calendar engine compute 1955..2100 from the generated
// files, one displayed month at a time as the one-month calendar does, with
// the HOLIDAYOPT section in file order, in the order the program's save sorts
// it into and reversed, and fails listing every difference from the official
// list (tests/data/calendar/jp_holidays.csv) and, after its last year, from
// the law (HolidayLaw.cpp), before anything is written or compared.

#include "HolidayLaw.h"
#include "HolidayRules.h"

#include "calendar/Holidays.h"
#include "core/AtomicFile.h"
#include "core/DateText.h"
#include "core/ProfileFile.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef VELMORA_SOURCE_DIR
#define VELMORA_SOURCE_DIR "."
#endif

namespace velmora::holidaygen {
namespace {

constexpr int kFirstYear = 1955;
constexpr int kLastYear = 2100;

// Day number -> holiday name, substitutes and days between holidays by the
// calendar's names for them.
using holidaylaw::DayNames;
using holidaylaw::inYears;
using holidaylaw::lawDays;

struct OfficialList {
    DayNames days;
    int firstYear = 0;
    int lastYear = 0;
};

std::string readFile(const std::string& path) {
    const auto bytes = readWholeFile(path);
    if (!bytes) {
        throw std::runtime_error("cannot read " + path);
    }
    return *bytes;
}

// "yyyy-mm-dd,name,kind" rows after a header line.
OfficialList readOfficialList(const std::string& text) {
    OfficialList list;
    std::size_t start = text.find('\n');
    while (start != std::string::npos && start + 1 < text.size()) {
        const std::size_t end = text.find('\n', start + 1);
        std::string row = text.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
        start = end;
        if (!row.empty() && row.back() == '\r') {
            row.pop_back();
        }
        if (row.empty()) {
            continue;
        }
        const auto c1 = row.find(',');
        const auto c2 = c1 == std::string::npos ? std::string::npos : row.find(',', c1 + 1);
        std::string dateText = row.substr(0, c1);
        std::replace(dateText.begin(), dateText.end(), '-', '/');
        const auto date = parseDate(dateText);
        if (!date || c2 == std::string::npos) {
            throw std::runtime_error("not a row of the official list: " + row);
        }
        const std::string kind = row.substr(c2 + 1);
        const std::string name = kind == "振替休日"     ? kSubstituteHoliday
                                 : kind == "国民の休日" ? kNationalHoliday
                                                        : row.substr(c1 + 1, c2 - c1 - 1);
        list.days[date->dayNumber()] = name;
        list.firstYear = list.firstYear == 0 ? date->year() : std::min(list.firstYear, date->year());
        list.lastYear = std::max(list.lastYear, date->year());
    }
    if (list.days.empty()) {
        throw std::runtime_error("the official list is empty");
    }
    return list;
}

// The settings a new installation has: the template's, in the one-month view.
Settings settingsOf(const std::string& firstIniBytes) {
    ProfileFile file;
    file.parse(firstIniBytes);
    Settings settings;
    settings.readStartup(file, StartupReadContext{}, [](const std::string&) { return false; });
    settings.load(file);
    settings.calenFlag = 0;
    return settings;
}

struct ScheduleSections {
    NameValueList options;
    NameValueList periods;
    NameValueList weekly;
};

ScheduleSections sectionsOf(const std::string& scheduleBytes) {
    ProfileFile file;
    file.parse(scheduleBytes);
    return {file.readSection("HOLIDAYOPT"), file.readSection("FROMTO"), file.readSection("WEEK")};
}

// What the calendar shows as holidays, month by month.
DayNames engineDays(const Settings& settings, const ScheduleSections& s, int firstYear, int lastYear) {
    HolidayCalendar calendar(settings.holidayList);
    const HolidaySources sources{s.options, s.periods, s.weekly};
    DayNames out;
    for (int year = firstYear; year <= lastYear; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const DateValue first = *DateValue::fromDate(year, month, 1);
            calendar.computeHolidays(settings, first, sources);
            for (int day = 0; day < daysInMonth(year, month); ++day) {
                const DateValue d = first.addDays(day);
                if (std::string name = calendar.lookup(d); !name.empty()) {
                    out[d.dayNumber()] = std::move(name);
                }
            }
        }
    }
    return out;
}

void compare(const DayNames& got, const DayNames& want, const std::string& what, const std::string& against,
             std::vector<std::string>& differences) {
    const auto show = [](const DayNames& days, int n) {
        const auto it = days.find(n);
        return it == days.end() ? std::string("(none)") : it->second;
    };
    std::set<int> dates;
    for (const DayNames* days : {&got, &want}) {
        for (const auto& day : *days) {
            dates.insert(day.first);
        }
    }
    for (const int n : dates) {
        if (show(got, n) != show(want, n)) {
            differences.push_back(formatDate(DateValue::fromDayNumber(n)) + ": " + what + " " + show(got, n) + ", " +
                                  against + " " + show(want, n));
        }
    }
}

NameValueList reversed(const NameValueList& list) {
    NameValueList out;
    for (std::size_t i = list.size(); i > 0; --i) {
        out.appendLine(list.line(i - 1));
    }
    return out;
}

struct Generated {
    std::string firstIni;
    std::string schedule;
    std::vector<std::string> filledFromLaw;
};

Generated generate(const HolidayRules& rules, const std::string& committedFirstIni) {
    Templates templates = buildTemplates(rules);
    ProfileFile firstIni;
    firstIni.parse(committedFirstIni);
    if (!firstIni.writeSection("HOLIDAY", templates.holidayList)) {
        throw std::runtime_error("a fixed holiday name code page 932 cannot hold");
    }
    Generated out;
    out.firstIni = firstIni.bytes();
    const Settings settings = settingsOf(out.firstIni);

    // One kind at a time, in rules order: a day filled in may make the
    // engine's own substitute, which the next kind must not add again.
    for (const LawFill& fill : rules.fromLaw) {
        const DayNames made =
            engineDays(settings, sectionsOf(templates.scheduleFileBytes()), fill.firstYear, fill.lastYear);
        bool known = false;
        for (int year = fill.firstYear; year <= fill.lastYear; ++year) {
            for (const holidaylaw::LawDay& d : holidaylaw::daysOffByLaw(year)) {
                if (d.name != fill.name) {
                    continue;
                }
                known = true;
                if (made.count(d.date.dayNumber()) == 0) {
                    templates.addDated(d.date, d.name);
                    out.filledFromLaw.push_back(formatDate(d.date) + " " + d.name);
                }
            }
        }
        if (!known) {
            throw std::runtime_error("the law has no day named " + fill.name + " in " + std::to_string(fill.firstYear) +
                                     ".." + std::to_string(fill.lastYear));
        }
    }
    out.schedule = templates.scheduleFileBytes();
    return out;
}

// The engine with the generated files against the official list and the law;
// the law against the official list.
std::vector<std::string> verify(const Generated& g, const OfficialList& official) {
    std::vector<std::string> differences;
    const int lastOfficial = official.lastYear;
    const DayNames officialDays = inYears(official.days, kFirstYear, lastOfficial);
    const DayNames law = lawDays(kFirstYear, kLastYear);
    compare(inYears(law, kFirstYear, lastOfficial), officialDays, "law", "official list", differences);

    const Settings settings = settingsOf(g.firstIni);
    ScheduleSections sections = sectionsOf(g.schedule);
    NameValueList sorted = sections.options;
    sorted.sortIgnoreCase();
    const std::vector<std::pair<std::string, NameValueList>> orders = {
        {"file order", sections.options}, {"sorted", sorted}, {"reversed", reversed(sections.options)}};
    for (const auto& [orderName, options] : orders) {
        sections.options = options;
        const DayNames made = engineDays(settings, sections, kFirstYear, kLastYear);
        const std::string what = "engine (HOLIDAYOPT " + orderName + ")";
        compare(inYears(made, kFirstYear, lastOfficial), officialDays, what, "official list", differences);
        compare(inYears(made, lastOfficial + 1, kLastYear), inYears(law, lastOfficial + 1, kLastYear), what, "law",
                differences);
    }
    return differences;
}

bool sameBytes(const std::string& made, const std::string& path) {
    const auto committed = readWholeFile(path);
    if (committed && *committed == made) {
        return true;
    }
    std::fprintf(stderr, "velmora-holiday-gen: %s is not what holidays.rules makes; run velmora-holiday-gen --write\n",
                 path.c_str());
    return false;
}

bool writeOut(const std::string& bytes, const std::string& path) {
    std::string error;
    if (!writeFileAtomically(path, bytes, &error)) {
        std::fprintf(stderr, "velmora-holiday-gen: %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    std::printf("wrote %s\n", path.c_str());
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: velmora-holiday-gen [--root DIR] --write | --check\n");
    return 2;
}

int run(int argc, char** argv) {
    std::string root = VELMORA_SOURCE_DIR;
    bool write = false;
    bool check = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--root" && i + 1 < argc) {
            root = argv[++i];
        } else if (arg == "--write") {
            write = true;
        } else if (arg == "--check") {
            check = true;
        } else {
            return usage();
        }
    }
    if (write == check) {
        return usage();
    }
    const std::string rulesPath = root + "/tools/holidays/holidays.rules";
    const std::string firstIniPath = root + "/src/resources/first.ini";
    const std::string schedulePath = root + "/src/resources/Yasumi.dat";
    const std::string officialPath = root + "/tests/data/calendar/jp_holidays.csv";

    const HolidayRules rules = parseRules(readFile(rulesPath));
    const OfficialList official = readOfficialList(readFile(officialPath));
    if (official.firstYear > kFirstYear || official.lastYear >= kLastYear) {
        throw std::runtime_error("the official list must start by " + std::to_string(kFirstYear) + " and end before " +
                                 std::to_string(kLastYear));
    }
    const Generated g = generate(rules, readFile(firstIniPath));

    std::size_t yearly = 0;
    std::size_t weekly = 0;
    for (const YearlyHoliday& y : rules.yearly) {
        yearly += y.periods.size();
    }
    for (const WeeklyHoliday& w : rules.weekly) {
        weekly += w.periods.size();
    }
    std::printf("fixed %zu, yearly %zu, weekly %zu, dated %zu from the rules and %zu from the law\n",
                rules.fixed.size(), yearly, weekly, rules.dated.size(), g.filledFromLaw.size());
    for (const std::string& f : g.filledFromLaw) {
        std::printf("  from the law: %s\n", f.c_str());
    }

    std::fflush(stdout);
    const std::vector<std::string> differences = verify(g, official);
    if (!differences.empty()) {
        for (const std::string& d : differences) {
            std::fprintf(stderr, "%s\n", d.c_str());
        }
        std::fprintf(stderr, "velmora-holiday-gen: %zu differences; nothing written\n", differences.size());
        return 1;
    }
    std::printf("%d..%d match the official list, %d..%d the law, in file, sorted and reversed order\n", kFirstYear,
                official.lastYear, official.lastYear + 1, kLastYear);
    std::fflush(stdout);

    bool ok = true;
    if (write) {
        ok = writeOut(g.schedule, schedulePath) && ok;
        ok = writeOut(g.firstIni, firstIniPath) && ok;
    } else {
        ok = sameBytes(g.schedule, schedulePath) && ok;
        ok = sameBytes(g.firstIni, firstIniPath) && ok;
    }
    return ok ? 0 : 1;
}

} // namespace
} // namespace velmora::holidaygen

int main(int argc, char** argv) {
    try {
        return velmora::holidaygen::run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "velmora-holiday-gen: %s\n", e.what());
        return 1;
    }
}
