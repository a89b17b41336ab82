#include "settings/Templates.h"

namespace velmora {

const TemplateFile* findTemplate(std::string_view name) {
    for (const TemplateFile& t : templateFiles()) {
        if (name == t.name) {
            return &t;
        }
    }
    return nullptr;
}

} // namespace velmora
