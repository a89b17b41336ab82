#include "reminders/PopupFormModel.h"

#include "schedule/EntryRules.h"

#include <cstdlib>

namespace velmora {

MemoLook reminderLook(const std::optional<std::string>& popupOpt, int mostTopFirst) {
    if (!popupOpt || popupOpt->empty()) {
        return MemoLook{mostTopFirst == 1 ? 2 : 1, 0, 0, 0};
    }
    MemoLook look = parseMemoLook(*popupOpt);
    look.drawDesk = 0;
    return look;
}

std::string formatReminderLook(const MemoLook& look) {
    return formatMemoLook(look).substr(0, 3);
}

std::optional<Colour> reminderColour(const std::string& colorOpt) {
    std::string digits = colorOpt;
    if (!digits.empty() && digits.front() == '-') {
        digits.erase(0, 1);
    }
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos || digits.size() > 10) {
        return std::nullopt;
    }
    return static_cast<Colour>(std::strtoul(digits.c_str(), nullptr, 10));
}

std::string colorOptFor(Colour chosen, const std::string& oldValue) {
    return (!oldValue.empty() && oldValue.front() == '-' ? "-" : "") + std::to_string(chosen);
}

bool oneDayReminder(const std::string& key, const std::string& popupValue) {
    if (key.size() != 13) {
        return false;
    }
    const std::vector<std::string> fields = ruleFields(popupValue);
    return !fields.empty() && fields.front() == "1";
}

void closeReminderState(NameValueList& popupStat, const std::string& key, bool reshow, const std::string& closeValue) {
    if (reshow || closeValue.empty()) {
        while (popupStat.remove(key)) {
        }
    } else {
        popupStat.set(key, closeValue);
    }
}

} // namespace velmora
