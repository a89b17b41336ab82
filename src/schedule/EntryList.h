#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// The value of an entry list name: every text in double quotes (a quote
// inside doubled), comma-separated. In memory the value equals the text on disk.
std::string formatEntryList(const std::vector<std::string>& texts);
// The texts of such a value; a value that is not a well-formed list gives
// whatever items it parses into.
std::vector<std::string> parseEntryList(std::string_view value);
// A text as the schedule list window stores it: trimmed, one blank after.
std::string storedEntryText(std::string_view typed);

} // namespace velmora
