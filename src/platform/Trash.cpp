#include "platform/Platform.h"

#include <QFile>

namespace velmora {

bool Platform::moveToTrash(const std::string& path) {
    return QFile::moveToTrash(QString::fromStdString(path));
}

} // namespace velmora
