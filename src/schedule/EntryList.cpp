#include "schedule/EntryList.h"

#include "core/NameValueList.h"

namespace velmora {

std::string formatEntryList(const std::vector<std::string>& texts) {
    std::string out;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            out += ',';
        }
        out += '"';
        for (char c : texts[i]) {
            if (c == '"') {
                out += '"';
            }
            out += c;
        }
        out += '"';
    }
    return out;
}

std::vector<std::string> parseEntryList(std::string_view value) {
    return fromCommaText(value);
}

std::string storedEntryText(std::string_view typed) {
    return trimmed(typed) + " ";
}

} // namespace velmora
