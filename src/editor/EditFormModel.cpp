#include "editor/EditFormModel.h"

#include "core/Cp932.h"
#include "core/DateText.h"
#include "core/NameValueList.h"
#include "editor/EntryRowStore.h"
#include "editor/OpenReminders.h"
#include "editor/ScheduleTree.h"
#include "schedule/EntryRules.h"
#include "schedule/ScheduleStore.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace velmora {

namespace {

constexpr int kMinOffset = -7;
constexpr int kMaxOffset = 7;
constexpr int kMaxWeeks = 100;
constexpr int kMaxMonths = 80;
constexpr int kMaxYears = 1500;

// The number a control would show for a stored text; `fallback` for text that is no number.
int toInt(std::string_view text, int fallback) {
    const std::string t = trimmed(text);
    int value = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    return (ec == std::errc() && end == t.data() + t.size()) ? value : fallback;
}

std::string twoDigits(int v) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%.2d", v);
    return buffer;
}

const char* flag(bool on) {
    return on ? "1" : "0";
}

std::string itemAt(const std::vector<std::string>& items, std::size_t i) {
    return i < items.size() ? items[i] : std::string();
}

// The month boxes from a MonthFilter: twelve characters one by one, "0"
// every month, any other value only the month it names (none for a number
// that is no month, as the filter then admits none).
void applyMonthFilter(std::array<bool, 12>& months, std::string_view filter) {
    if (filter.size() == 12) {
        for (std::size_t m = 0; m < 12; ++m) {
            months[m] = filter[m] == '1';
        }
        return;
    }
    if (filter == "0") {
        return;
    }
    const int month = toInt(filter, 0);
    months.fill(false);
    if (month >= 1 && month <= 12) {
        months[static_cast<std::size_t>(month - 1)] = true;
    }
}

std::string monthText(const std::array<bool, 12>& months) {
    std::string out;
    for (bool m : months) {
        out += flag(m);
    }
    return out;
}

bool isEmptyDate(std::string_view text) {
    return text.empty() || text == kEmptyDateText;
}

std::string utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

} // namespace

EntryKind kindOfPattern(EditPattern pattern) {
    switch (pattern) {
    case EditPattern::Once:
        return EntryKind::Dated;
    case EditPattern::Weekly:
        return EntryKind::Weekly;
    case EditPattern::Monthly:
        return EntryKind::Monthly;
    case EditPattern::Yearly:
        return EntryKind::Yearly;
    }
    return EntryKind::Dated;
}

EditPattern patternOfKind(EntryKind kind) {
    switch (kind) {
    case EntryKind::Dated:
        return EditPattern::Once;
    case EntryKind::Weekly:
        return EditPattern::Weekly;
    case EntryKind::Monthly:
        return EditPattern::Monthly;
    case EntryKind::Yearly:
        return EditPattern::Yearly;
    }
    return EditPattern::Once;
}

std::array<std::string, 4> patternCaptions(DateValue viewDate) {
    const CivilDate d = viewDate.date();
    const std::string month = std::to_string(d.month);
    const std::string day = std::to_string(d.day);
    return {
        std::to_string(d.year) + "年" + month + "月" + day + "日の予定",
        "毎週" + std::string(longDayName(viewDate.weekday())) + "の予定",
        "毎月" + day + "日の予定",
        "毎年" + month + "月" + day + "日の予定",
    };
}

EditFormModel::EditFormModel(EditFormContext context) : m_context(std::move(context)) {
    m_values.colour = m_context.scheduleFontColour;
    m_values.fontName = m_context.scheduleFontName;
    m_values.intervalBase = m_context.now.datePart();
    if (m_context.fixedPattern) {
        m_values.pattern = *m_context.fixedPattern;
    }
}

std::string EditFormModel::outPatternCaption(int index) const {
    if (index >= 0 && index < 5) {
        return m_context.patternNames[static_cast<std::size_t>(index)];
    }
    return "常に表示";
}

std::string EditFormModel::patternGroupCaption() const {
    return m_context.patternLocked ? "！！この項目は更新不可！！" : "スケジュールパターン";
}

void EditFormModel::fillFromRow(const EntryRow& row) {
    EditFormValues v;
    v.pattern = m_context.fixedPattern ? *m_context.fixedPattern : patternOfKind(row.kind);

    if (row.hasValue(RowField::Popup)) {
        const std::vector<std::string> items = ruleFields(row.field(RowField::Popup));
        int choice = toInt(itemAt(items, 0), 0) + 1;
        if (itemAt(items, 1) != "0" && choice < 3) {
            choice += 2;
        }
        v.reminder = static_cast<ReminderChoice>(std::clamp(choice, 1, 4));
        v.hour = std::clamp(toInt(itemAt(items, 2), 0), 0, 23);
        v.minute = std::clamp(toInt(itemAt(items, 3), 0), 0, 59);
        v.sound = items.size() > 4 && items[4] != "0";
    }

    const auto applyShift = [&](const std::vector<std::string>& items) {
        for (std::size_t i = 0; i < 3; ++i) {
            v.avoid[i] = itemAt(items, i) == "1";
        }
        if (items.size() > 3) {
            v.shiftChoice = std::clamp(toInt(items[3], 1), 0, 4);
        }
        if (items.size() > 4) {
            v.offset = std::clamp(toInt(items[4], 0), kMinOffset, kMaxOffset);
        }
    };
    if (row.kind == EntryKind::Monthly && row.hasValue(RowField::Opt)) {
        const std::vector<std::string> items = ruleFields(row.field(RowField::Opt));
        applyShift(items);
        if (items.size() > 5) {
            applyMonthFilter(v.months, items[5]);
        }
    } else if (row.kind == EntryKind::Weekly) {
        if (row.hasValue(RowField::Opt)) {
            const std::vector<std::string> items = ruleFields(row.field(RowField::Opt));
            for (std::size_t i = 0; i < 5 && i < items.size(); ++i) {
                v.weeks[i] = items[i] != "0";
            }
            if (items.size() > 5) {
                applyMonthFilter(v.months, items[5]);
            }
        }
        if (row.hasValue(RowField::Opt2)) {
            applyShift(ruleFields(row.field(RowField::Opt2)));
        }
    }

    v.text = trimmed(row.caption);
    v.colour = rowColour(row, m_context.scheduleFontColour);
    v.popOnly = row.hasValue(RowField::Color) && row.field(RowField::Color).front() == '-';
    v.description = row.hasValue(RowField::Supplement) ? row.field(RowField::Supplement) : std::string();
    v.holidayFlag = row.hasValue(RowField::Holiday);
    if (row.hasValue(RowField::FromTo)) {
        const std::string& period = row.field(RowField::FromTo);
        v.fromDate = period.substr(0, 10);
        v.toDate = period.size() > 11 ? period.substr(11, 10) : std::string(kEmptyDateText);
        if (isEmptyDate(v.fromDate) || v.fromDate.front() == '_') {
            v.fromDate = kEmptyDateText;
        }
        if (isEmptyDate(v.toDate) || v.toDate.front() == '_') {
            v.toDate = kEmptyDateText;
        }
    }
    v.fontName = rowFontName(row, m_context.scheduleFontName);
    if (row.hasValue(RowField::PtnOpt)) {
        const std::string& patterns = row.field(RowField::PtnOpt);
        for (std::size_t i = 0; i < 6 && i < patterns.size(); ++i) {
            v.outPatterns[i] = patterns[i] == '1';
        }
    }
    v.intervalBase = m_context.now.datePart();
    if (row.hasValue(RowField::IntOpt)) {
        const std::vector<std::string> items = ruleFields(row.field(RowField::IntOpt));
        v.intervalWeeks = std::clamp(toInt(itemAt(items, 0), 0), 0, kMaxWeeks);
        v.intervalMonths = std::clamp(toInt(itemAt(items, 1), 0), 0, kMaxMonths);
        v.intervalYears = std::clamp(toInt(itemAt(items, 2), 0), 0, kMaxYears);
        const std::string base = itemAt(items, 3);
        if (base.size() == 8) {
            if (const auto d = DateValue::fromDate(toInt(base.substr(0, 4), 0), toInt(base.substr(4, 2), 0),
                                                   toInt(base.substr(6, 2), 0))) {
                v.intervalBase = *d;
            }
        }
    }
    m_values = std::move(v);
}

void EditFormModel::writeToRow(EntryRow& row) const {
    const EditFormValues& v = m_values;
    row.caption = entryCaption(v.text);
    row.kind = kindOfPattern(v.pattern);

    const std::string shift = std::string(flag(v.avoid[0])) + "," + flag(v.avoid[1]) + "," + flag(v.avoid[2]) + "," +
                              std::to_string(v.shiftChoice) + "," + std::to_string(v.offset);
    row.setField(RowField::Opt, "");
    row.setField(RowField::Opt2, "");
    if (v.pattern == EditPattern::Monthly) {
        row.setField(RowField::Opt, shift + "," + monthText(v.months));
    } else if (v.pattern == EditPattern::Weekly) {
        std::string weeks;
        for (bool w : v.weeks) {
            weeks += std::string(flag(w)) + ",";
        }
        row.setField(RowField::Opt, weeks + monthText(v.months));
        row.setField(RowField::Opt2, shift);
    }

    if (v.reminder == ReminderChoice::None) {
        row.setField(RowField::Popup, "");
    } else {
        const bool onDay = v.reminder == ReminderChoice::StartupOnDay || v.reminder == ReminderChoice::TimedOnDay;
        const bool timed = v.reminder == ReminderChoice::TimedEveryDay || v.reminder == ReminderChoice::TimedOnDay;
        row.setField(RowField::Popup, std::string(flag(onDay)) + "," + flag(timed) + "," + twoDigits(v.hour) + "," +
                                          twoDigits(v.minute) + "," + flag(v.sound));
    }

    const long long magnitude = v.colour < 0 ? -static_cast<long long>(v.colour) : v.colour;
    row.setField(RowField::Color, (v.popOnly ? "-" : "") + std::to_string(magnitude));
    row.setField(RowField::Supplement, v.description);
    row.setField(RowField::Holiday, v.holidayFlag ? row.caption : std::string());
    if (isEmptyDate(v.fromDate) && isEmptyDate(v.toDate)) {
        row.setField(RowField::FromTo, "");
    } else {
        const auto part = [](const std::string& d) { return isEmptyDate(d) ? std::string(kEmptyDateText) : d; };
        row.setField(RowField::FromTo, part(v.fromDate) + "-" + part(v.toDate));
    }
    const std::string font = entryCaption(v.fontName);
    row.setField(RowField::FontName, font == m_context.scheduleFontName ? std::string() : font);
    if (std::none_of(v.outPatterns.begin(), v.outPatterns.end(), [](bool b) { return b; })) {
        row.setField(RowField::PtnOpt, "");
    } else {
        std::string patterns;
        for (bool p : v.outPatterns) {
            patterns += flag(p);
        }
        row.setField(RowField::PtnOpt, patterns);
    }
    if (v.intervalWeeks + v.intervalMonths + v.intervalYears == 0) {
        row.setField(RowField::IntOpt, "");
    } else {
        const CivilDate base = v.intervalBase.date();
        char date[16];
        std::snprintf(date, sizeof date, "%.4d%.2d%.2d", base.year, base.month, base.day);
        row.setField(RowField::IntOpt, std::to_string(v.intervalWeeks) + "," + std::to_string(v.intervalMonths) + "," +
                                           std::to_string(v.intervalYears) + "," + date);
    }
}

std::optional<std::string> EditFormModel::validate() const {
    if (entryCaption(m_values.text).empty()) {
        return std::string("スケジュールが入力されていません");
    }
    if (auto message = unencodableTextMessage(m_values.text, "予定")) {
        return message;
    }
    if (auto message = unencodableTextMessage(m_values.description, "補足説明")) {
        return message;
    }
    if (auto message = unencodableTextMessage(m_values.fontName, "フォント名")) {
        return message;
    }
    if (!isEmptyDate(m_values.fromDate) && !parseDate(m_values.fromDate)) {
        return "適用開始日「" + m_values.fromDate + "」は正しい日付ではありません";
    }
    if (!isEmptyDate(m_values.toDate) && !parseDate(m_values.toDate)) {
        return "適用終了日「" + m_values.toDate + "」は正しい日付ではありません";
    }
    return std::nullopt;
}

void EditFormModel::setText(std::string text) {
    m_values.text = std::move(text);
}

void EditFormModel::setPattern(EditPattern pattern) {
    if (!m_context.fixedPattern && !m_context.patternLocked) {
        m_values.pattern = pattern;
    }
}

void EditFormModel::setWeek(int index, bool checked) {
    if (index >= 0 && index < 5) {
        m_values.weeks[static_cast<std::size_t>(index)] = checked;
    }
}

void EditFormModel::setAvoid(AvoidDay day, bool checked) {
    m_values.avoid[static_cast<std::size_t>(day)] = checked;
    if (checked && (m_values.shiftChoice == 2 || m_values.shiftChoice == 3)) {
        m_values.shiftChoice -= 2;
    }
}

void EditFormModel::setShiftChoice(int choice) {
    m_values.shiftChoice = std::clamp(choice, 0, 4);
    if (m_values.shiftChoice == 2 || m_values.shiftChoice == 3) {
        m_values.avoid.fill(false);
    }
}

void EditFormModel::setOffset(int days) {
    m_values.offset = std::clamp(days, kMinOffset, kMaxOffset);
}

void EditFormModel::setMonth(int month, bool checked) {
    if (month >= 1 && month <= 12) {
        m_values.months[static_cast<std::size_t>(month - 1)] = checked;
    }
}

void EditFormModel::setColour(Colour colour) {
    m_values.colour = colour;
}

void EditFormModel::setPopOnly(bool checked) {
    m_values.popOnly = checked;
}

void EditFormModel::setFontName(std::string name) {
    m_values.fontName = std::move(name);
}

void EditFormModel::setReminder(ReminderChoice choice) {
    m_values.reminder = choice;
    if (choice == ReminderChoice::TimedEveryDay || choice == ReminderChoice::TimedOnDay) {
        const TimeOfDay t = m_context.now.time();
        m_values.hour = t.hour;
        m_values.minute = t.minute;
    }
}

void EditFormModel::setSound(bool checked) {
    m_values.sound = checked;
}

void EditFormModel::setTime(int hour, int minute) {
    m_values.hour = std::clamp(hour, 0, 23);
    m_values.minute = std::clamp(minute, 0, 59);
}

void EditFormModel::setOutPattern(int index, bool checked) {
    if (m_values.holidayFlag || index < 0 || index > 5) {
        return;
    }
    m_values.outPatterns[static_cast<std::size_t>(index)] = checked;
    if (!checked) {
        return;
    }
    if (index == 5) {
        std::fill(m_values.outPatterns.begin(), m_values.outPatterns.begin() + 5, false);
    } else {
        m_values.outPatterns[5] = false;
    }
}

void EditFormModel::setDescription(std::string text) {
    m_values.description = std::move(text);
}

void EditFormModel::appendExecLine(std::string_view path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    std::string& d = m_values.description;
    if (!d.empty() && d.back() != '\n') {
        d += '\n';
    }
    d += "Exec " + quoted + " \"\"\n";
}

void EditFormModel::setFromChecked(bool checked) {
    m_values.fromDate = checked ? formatDate(m_context.now) : std::string(kEmptyDateText);
}

void EditFormModel::setToChecked(bool checked) {
    m_values.toDate = checked ? formatDate(m_context.now) : std::string(kEmptyDateText);
}

void EditFormModel::setFromDate(std::string text) {
    m_values.fromDate = isEmptyDate(text) ? std::string(kEmptyDateText) : std::move(text);
}

void EditFormModel::setToDate(std::string text) {
    m_values.toDate = isEmptyDate(text) ? std::string(kEmptyDateText) : std::move(text);
}

void EditFormModel::setHolidayFlag(bool checked) {
    m_values.holidayFlag = checked;
    if (checked) {
        m_values.outPatterns = {false, false, false, false, false, true};
    }
}

void EditFormModel::setInterval(int weeks, int months, int years) {
    m_values.intervalWeeks = std::clamp(weeks, 0, kMaxWeeks);
    m_values.intervalMonths = std::clamp(months, 0, kMaxMonths);
    m_values.intervalYears = std::clamp(years, 0, kMaxYears);
}

void EditFormModel::setIntervalBase(DateValue date) {
    m_values.intervalBase = date.datePart();
}

bool EditFormModel::shiftEnabled() const {
    return m_values.pattern == EditPattern::Weekly || m_values.pattern == EditPattern::Monthly;
}

bool EditFormModel::weeksEnabled() const {
    return m_values.pattern == EditPattern::Weekly;
}

bool EditFormModel::monthsEnabled() const {
    return shiftEnabled();
}

bool EditFormModel::soundEnabled() const {
    return m_values.reminder != ReminderChoice::None;
}

bool EditFormModel::timeVisible() const {
    return m_values.reminder == ReminderChoice::TimedEveryDay || m_values.reminder == ReminderChoice::TimedOnDay;
}

bool EditFormModel::fromChecked() const {
    return !isEmptyDate(m_values.fromDate);
}

bool EditFormModel::toChecked() const {
    return !isEmptyDate(m_values.toDate);
}

std::optional<std::string> unencodableTextMessage(std::string_view text, std::string_view what) {
    cp932::EncodeError error;
    if (cp932::fromUtf8(text, &error)) {
        return std::nullopt;
    }
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(error.character));
    return std::string(what) + "の「" + utf8Of(error.character) + "」(" + code +
           ")はスケジュールファイルに保存できない文字です。別の文字に置き換えてください";
}

void releaseReminderForEditing(ScheduleStore& store, const std::string& key, OpenReminders& windows, DateValue today) {
    if (key.empty() || key == "POPUP") {
        return;
    }
    NameValueList& states = store.section(ScheduleSection::PopupStat);
    if (const auto state = states.find(key)) {
        if (*state == "1") {
            windows.closeWindow(key);
            states.remove(key);
        } else if (*state == "9") {
            states.remove(key);
        }
    }
    if (const auto popup = store.section(ScheduleSection::Popup).find(key)) {
        const std::vector<std::string> items = ruleFields(*popup);
        if (items.size() >= 4) {
            const std::string time = items[2] + ":" + items[3];
            NameValueList& queue = store.section(ScheduleSection::PopupTime);
            removeTimedPair(queue, time, key);
            removeTimedPair(queue, formatDate(today) + "-" + time, key);
        }
    }
}

} // namespace velmora
