#include "editor/ReminderEdit.h"

#include "core/DateText.h"
#include "core/NameValueList.h"
#include "core/UserFeedback.h"
#include "editor/EntryRowStore.h"
#include "schedule/EntryRules.h"
#include "schedule/ScheduleKey.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <vector>

namespace velmora {

namespace {

// A day the entry of `key` falls on, from `today` on, so that the editor's
// captions name the entry's own weekday, day of month or date.
DateValue dayOfKey(const std::string& key, DateValue today) {
    today = today.datePart();
    const auto parsed = ScheduleKey::parse(key);
    if (!parsed) {
        return today;
    }
    const std::string& day = parsed->day;
    switch (parsed->kind) {
    case EntryKind::Dated:
        return parseDate(day).value_or(today);
    case EntryKind::Weekly:
        return today.addDays((day[0] - '0' - today.weekday() + 7) % 7);
    case EntryKind::Monthly: {
        const int dd = std::stoi(day);
        for (int m = 0; m < 24; ++m) {
            const CivilDate start = today.startOfMonth().addMonths(m).date();
            const auto d = DateValue::fromDate(start.year, start.month, dd);
            if (d && *d >= today) {
                return *d;
            }
        }
        return today;
    }
    case EntryKind::Yearly: {
        // "02/29" waits for a leap year.
        const int mm = std::stoi(day.substr(0, 2));
        const int dd = std::stoi(day.substr(3, 2));
        for (int y = today.year(); y < today.year() + 9; ++y) {
            const auto d = DateValue::fromDate(y, mm, dd);
            if (d && *d >= today) {
                return *d;
            }
        }
        return today;
    }
    }
    return today;
}

bool sameReminder(std::string_view stored, std::string_view edited) {
    if (isBlankField(stored) || isBlankField(edited)) {
        return isBlankField(stored) == isBlankField(edited);
    }
    return trimmed(stored) == trimmed(edited);
}

// "hh:nn" of a POPUP value, or nullopt when it has no time.
std::optional<std::string> reminderTime(std::string_view popup) {
    const std::vector<std::string> items = ruleFields(popup);
    if (isBlankField(popup) || items.size() < 4) {
        return std::nullopt;
    }
    return items[2] + ":" + items[3];
}

} // namespace

std::optional<EntryRow> reminderEntryRow(const ScheduleStore& store, const std::string& key,
                                         const std::string& folder) {
    return loadEntryRow(store, key, folder);
}

EditFormContext reminderEditorContext(const std::string& key, DateValue now, const Settings& settings) {
    const FontSetting& font = settings.font(FontPart::Schedule);
    EditFormContext context;
    context.key = "POPUP";
    context.patternLocked = true;
    context.viewDate = dayOfKey(key, now);
    context.now = now;
    context.scheduleFontName = font.face;
    context.scheduleFontColour = font.colour;
    for (std::size_t i = 0; i < context.patternNames.size(); ++i) {
        context.patternNames[i] = settings.outPtn[i];
    }
    return context;
}

ReminderEditOutcome writeReminderEntry(ScheduleStore& store, const std::string& key, const EntryRow& edited,
                                       const std::string& folder, DateValue today, const std::string& scheduleFontName,
                                       UserFeedback& feedback) {
    static constexpr std::string_view kGone = "この予定はすでに削除されているため、変更を保存できませんでした";
    const auto parsed = ScheduleKey::parse(key);
    if (!parsed) {
        feedback.showMessage(kGone);
        return {};
    }
    if (parsed->kind != edited.kind) {
        // The window, its state file and its queued pairs are all filed under the key.
        feedback.showMessage("この予定のパターンは変更できません");
        return {};
    }

    EntryRow row = edited;
    if (trimmed(row.field(RowField::FontName)) == scheduleFontName) {
        row.setField(RowField::FontName, "");
    }
    if (row.hasValue(RowField::Holiday)) {
        row.setField(RowField::Holiday, trimmed(row.field(RowField::Holiday)));
    }
    if (const std::string& period = row.field(RowField::FromTo);
        row.hasValue(RowField::FromTo) && period.front() == '_' && (period.size() < 12 || period[11] == '_')) {
        row.setField(RowField::FromTo, "");
    }

    const std::string storedPopup = store.section(ScheduleSection::Popup).value(key);
    if (!writeEntryRow(store, key, row, folder, feedback)) {
        feedback.showMessage(kGone);
        return {};
    }

    ReminderEditOutcome out;
    const std::string& popup = row.field(RowField::Popup);
    out.popupChanged = !sameReminder(storedPopup, popup);
    if (out.popupChanged) {
        if (const auto old = reminderTime(storedPopup)) {
            NameValueList& queue = store.section(ScheduleSection::PopupTime);
            removeTimedPair(queue, *old, key);
            removeTimedPair(queue, formatDate(today) + "-" + *old, key);
        }
    }
    if (const auto time = reminderTime(popup)) {
        const std::vector<std::string> items = ruleFields(popup);
        if (items[1] != "0") {
            out.timeKey = items[0] == "0" ? *time : formatDate(today) + "-" + *time;
        }
    }
    out.text = trimmed(row.caption);
    out.colour = rowColour(row, 0);
    out.fontName = rowFontName(row, scheduleFontName);
    return out;
}

} // namespace velmora
