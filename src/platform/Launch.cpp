#include "platform/Launch.h"

#include <QProcess>
#include <QString>

namespace velmora {

bool launchDetached(const std::string& program, const std::string& parameters, const std::string& workingDir) {
    if (program.empty()) {
        return false;
    }
    const QStringList arguments = QProcess::splitCommand(QString::fromStdString(parameters));
    return QProcess::startDetached(QString::fromStdString(program), arguments, QString::fromStdString(workingDir));
}

} // namespace velmora
