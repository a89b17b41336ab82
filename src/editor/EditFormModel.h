#pragma once

#include "core/DateValue.h"
#include "editor/EntryRow.h"
#include "settings/ColorText.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

class OpenReminders;
class ScheduleStore;

// The editor's pattern choice (PtnGrp) in its item order.
enum class EditPattern { Once = 0, Weekly = 1, Monthly = 2, Yearly = 3 };
// Once -> dated, Weekly -> weekly, Monthly -> monthly, Yearly -> yearly.
EntryKind kindOfPattern(EditPattern pattern);
EditPattern patternOfKind(EntryKind kind);

// The reminder choice (RadioGroup1) in its item order.
enum class ReminderChoice {
    None = 0,            // "ポップアップなし"
    StartupEveryDay = 1, // "毎日起動時にポップアップ"
    StartupOnDay = 2,    // "指定日の起動時にポップアップ"
    TimedEveryDay = 3,   // "毎日指定時刻にポップアップ"
    TimedOnDay = 4,      // "指定日の指定時刻にポップアップ"
};

// The three days a shift rule avoids (SatChk, SunChk, HoliChk).
enum class AvoidDay { Saturday = 0, Sunday = 1, Holiday = 2 };

// The text of an empty masked date box.
inline constexpr std::string_view kEmptyDateText = "____/__/__";

// The four PtnGrp captions for a date, numbers without leading zeros:
// "2026年12月8日の予定", "毎週火曜日の予定", "毎月8日の予定", "毎年12月8日の予定".
std::array<std::string, 4> patternCaptions(DateValue viewDate);

// What the opener tells the editor.
struct EditFormContext {
    std::string key;    // the entry's ScheduleKey text; "" for a new entry, "POPUP" from a reminder window
    DateValue viewDate; // the list's ViewDate: the pattern captions
    DateValue now;      // today (FromChk, ToChk, the interval's base) and the time a timed reminder starts at
    std::string scheduleFontName;
    Colour scheduleFontColour = 0;
    // OutPtn1..OutPtn5 captions (settings); OutPtn6 is always "常に表示".
    std::array<std::string, 5> patternNames{"仕事", "個人", "その他１", "その他２", "その他３"};
    // Under the weekly, monthly or yearly category the pattern is fixed and its choice hidden.
    std::optional<EditPattern> fixedPattern;
    // From a reminder window: the entry keeps its pattern and date, since
    // the window, its state and its timed pairs all hang on the key.
    bool patternLocked = false;
};

// The values of the editor's controls, named after them.
struct EditFormValues {
    std::string text;                                        // ScheduleEdit
    EditPattern pattern = EditPattern::Once;                 // PtnGrp
    std::array<bool, 5> weeks{true, true, true, true, true}; // Day1Chk..Day5Chk
    std::array<bool, 3> avoid{};                             // SatChk, SunChk, HoliChk (AvoidDay order)
    int shiftChoice = 1;                                     // ChgGrp 0..4
    int offset = 0;                                          // HoseiSpin -7..7
    std::array<bool, 12> months{true, true, true, true, true, true,
                                true, true, true, true, true, true}; // M1Check..M12Check
    Colour colour = 0;                                               // ColorPanel
    bool popOnly = false;                                            // PopOnlyChk
    std::string fontName;                                            // FontChange
    ReminderChoice reminder = ReminderChoice::None;                  // RadioGroup1
    bool sound = false;                                              // WarningChk
    int hour = 0;                                                    // TimeSpinEdit 0..23
    int minute = 0;                                                  // MinSpinEdit 0..59
    std::array<bool, 6> outPatterns{};                               // OutPtn1..OutPtn6
    std::string description;                                         // SecretEdit, lines end in "\n"
    std::string fromDate{kEmptyDateText};                            // DateEdit1
    std::string toDate{kEmptyDateText};                              // DateEdit2
    bool holidayFlag = false;                                        // HolidayChk
    int intervalWeeks = 0;                                           // IntWeekSpin 0..100
    int intervalMonths = 0;                                          // IntMonthSpin 0..80
    int intervalYears = 0;                                           // IntYearSpin 0..1500
    DateValue intervalBase;                                          // IntBaseDate

    friend bool operator==(const EditFormValues&, const EditFormValues&) = default;
};

// The entry editor (TEditForm) without its widgets: the controls' values,
// the rules between them, and the two mappings between the controls and one
// EntryRow. It never touches the store; the opener writes the row back.
class EditFormModel {
public:
    // A new entry: the form's defaults, the schedule font's colour and name,
    // both dates empty, the interval's base today, the fixed pattern if any.
    explicit EditFormModel(EditFormContext context);

    const EditFormContext& context() const { return m_context; }
    const EditFormValues& values() const { return m_values; }
    // The PtnGrp item texts for the context's ViewDate.
    std::array<std::string, 4> patternCaptions() const { return velmora::patternCaptions(m_context.viewDate); }
    // False under the weekly, monthly and yearly categories.
    bool patternChoiceVisible() const { return !m_context.fixedPattern.has_value(); }
    // False for a locked pattern: PtnGrp shows it but takes no choice.
    bool patternChoiceEnabled() const { return !m_context.patternLocked; }
    // PtnGrp's caption: the warning "！！この項目は更新不可！！" for a locked pattern.
    std::string patternGroupCaption() const;
    // "仕事" .. "その他３" from the settings, then "常に表示".
    std::string outPatternCaption(int index) const;

    // Sets every control from an existing row (pattern from its kind unless
    // fixed). Values outside a control's range are held to it, as the
    // control would; an unreadable colour is the schedule font's.
    void fillFromRow(const EntryRow& row);
    // Writes the controls into the row: caption, kind, fields 2, 3, 4, 6, 7,
    // 8, 9, 10, 11 and 13. Fields 0, 1, 5 and 12 and the deleted mark stay.
    // Fields 2 and 3 are blank for the once and yearly patterns, field 3 for monthly.
    void writeToRow(EntryRow& row) const;
    // The message that keeps the dialog open on OK, or nullopt when the
    // values can be written: an empty text ("スケジュールが入力されていません"),
    // a character the data files (CP932) cannot hold, named in the message,
    // or a period date that is no date.
    std::optional<std::string> validate() const;

    // Control changes, with the rules between the controls.
    void setText(std::string text);
    // Ignored while the pattern is fixed or locked.
    void setPattern(EditPattern pattern);
    void setWeek(int index, bool checked); // 0..4
    // Checking a day while the choice is 2 or 3 turns it into 0 or 1.
    void setAvoid(AvoidDay day, bool checked);
    // Choices 2 and 3 (unconditional) clear the three avoided days.
    void setShiftChoice(int choice);
    void setOffset(int days);               // held to -7..7
    void setMonth(int month, bool checked); // 1..12
    void setColour(Colour colour);
    void setPopOnly(bool checked);
    void setFontName(std::string name);
    // A timed choice sets the hour and minute to the context's current time.
    void setReminder(ReminderChoice choice);
    void setSound(bool checked);
    void setTime(int hour, int minute); // held to 0..23, 0..59
    // Checking one of the five patterns clears "常に表示" (index 5), checking
    // it clears the five. Ignored while the holiday flag disables them.
    void setOutPattern(int index, bool checked);
    void setDescription(std::string text);
    // "実行ファイルの選択" and dropped files: appends the line
    // Exec "<path, inner quotes doubled>" "" to the description.
    void appendExecLine(std::string_view path);
    // Checking sets today's date, clearing empties the box.
    void setFromChecked(bool checked);
    void setToChecked(bool checked);
    // The box's text; "____/__/__" (or "") also clears its check.
    void setFromDate(std::string text);
    void setToDate(std::string text);
    // Checking clears OutPtn1..OutPtn5, checks OutPtn6 and disables all six.
    void setHolidayFlag(bool checked);
    void setInterval(int weeks, int months, int years); // held to the spin ranges
    void setIntervalBase(DateValue date);

    // Which controls are enabled or shown.
    bool shiftEnabled() const;  // SatChk, SunChk, HoliChk, ChgGrp: weekly and monthly
    bool weeksEnabled() const;  // Day1Chk..Day5Chk: weekly
    bool monthsEnabled() const; // M1Check..M12Check: weekly and monthly
    bool soundEnabled() const;  // WarningChk: a reminder is chosen
    bool timeVisible() const;   // TimeSpinEdit, MinSpinEdit: a timed reminder
    bool outPatternsEnabled() const { return !m_values.holidayFlag; }
    bool fromChecked() const; // FromChk, and DateEdit1 enabled
    bool toChecked() const;   // ToChk, and DateEdit2 enabled

private:
    EditFormContext m_context;
    EditFormValues m_values;
};

// The message naming the first character of `text` that code page 932 cannot
// hold, `what` naming the box ("予定", "補足説明"); nullopt when every
// character can be stored.
std::optional<std::string> unencodableTextMessage(std::string_view text, std::string_view what);

// What opening the editor for an existing entry of the list does to its
// reminder (key not empty and not "POPUP"): an open window is closed (state
// "1"), a "9" is cleared, and its pair is taken out of the two timed records
// of its POPUP time ("hh:nn" and today's "yyyy/mm/dd-hh:nn"; a record left
// empty goes), so the edited entry can remind again today. Other entries'
// pairs stay queued. Changes the store's POPUPSTAT and POPUPTIME lists only.
void releaseReminderForEditing(ScheduleStore& store, const std::string& key, OpenReminders& windows, DateValue today);

} // namespace velmora
