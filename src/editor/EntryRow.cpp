#include "editor/EntryRow.h"

#include "core/NameValueList.h"

#include <charconv>
#include <cstdlib>

namespace velmora {

bool isBlankField(std::string_view value) {
    return value.empty() || value == kBlankField;
}

EntryRow::EntryRow() {
    fields.fill(std::string(kBlankField));
}

EntryRow EntryRow::parentRow() {
    EntryRow row;
    row.caption = std::string(kParentCaption);
    row.parent = true;
    return row;
}

void EntryRow::setField(RowField f, std::string_view value) {
    fields[static_cast<std::size_t>(f)] = value.empty() ? std::string(kBlankField) : std::string(value);
}

int EntryRow::icon() const {
    return parent ? 8 : static_cast<int>(kind);
}

int EntryRow::overlay() const {
    if (parent) {
        return 3;
    }
    return hasReminder() ? 1 : 0;
}

Colour rowColour(const EntryRow& row, Colour fallback) {
    if (!row.hasValue(RowField::Color)) {
        return fallback;
    }
    std::string_view text = row.field(RowField::Color);
    if (!text.empty() && text.front() == '-') {
        text.remove_prefix(1);
    }
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 0 || value > 0x7FFFFFFF) {
        return fallback;
    }
    return static_cast<Colour>(value);
}

std::string rowFontName(const EntryRow& row, std::string_view fallback) {
    return row.hasValue(RowField::FontName) ? row.field(RowField::FontName) : std::string(fallback);
}

std::string entryCaption(std::string_view typed) {
    std::string text(typed);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    return trimmed(text);
}

} // namespace velmora
