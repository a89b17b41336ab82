#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// A file a new program folder starts from, as shipped in src/resources.
struct TemplateFile {
    const char* name;
    const char* data;
    std::size_t size;
    std::string_view bytes() const { return {data, size}; }
};

const std::vector<TemplateFile>& templateFiles();
// nullptr when no template has that name.
const TemplateFile* findTemplate(std::string_view name);

} // namespace velmora
