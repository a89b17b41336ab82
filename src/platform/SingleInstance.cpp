#include "platform/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace velmora {

namespace {

constexpr int kWaitMs = 1000;
const QByteArray kQuit = "quit\n";

} // namespace

SingleInstance::SingleInstance(std::function<void()> quitRequested, QString name, QObject* parent)
    : QObject(parent), m_quitRequested(std::move(quitRequested)), m_name(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::displayKey(const QString& display) {
    // ":0", ":0.0" and "unix:0" are one display; "host:10.0" another.
    const qsizetype colon = display.lastIndexOf(QLatin1Char(':'));
    if (colon < 0) {
        return {};
    }
    QString host = display.left(colon);
    if (host == QLatin1String("unix") || host == QLatin1String("localhost")) {
        host.clear();
    }
    QString number = display.mid(colon + 1);
    number = number.left(number.indexOf(QLatin1Char('.')) < 0 ? number.size() : number.indexOf(QLatin1Char('.')));
    host.replace(QLatin1Char('/'), QLatin1Char('_'));
    return host + QLatin1Char(':') + number;
}

QString SingleInstance::socketName() {
    // One copy per user and desktop: every X display has its own wallpaper.
    const QString display = displayKey(QString::fromLocal8Bit(qgetenv("DISPLAY")));
    return QStringLiteral("VelmoraMutex-%1%2").arg(getuid()).arg(display.isEmpty() ? QString() : "-" + display);
}

bool SingleInstance::claim() {
    QLocalSocket other;
    other.connectToServer(m_name);
    if (other.waitForConnected(kWaitMs)) {
        other.write(kQuit);
        other.waitForBytesWritten(kWaitMs);
        other.disconnectFromServer();
        return false;
    }
    // Nobody answers: a socket file left by a copy that crashed is in the way.
    QLocalServer::removeServer(m_name);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) {
        // Without the socket a second copy cannot find this one; run anyway.
        return true;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::onConnection);
    return true;
}

void SingleInstance::onConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->readAll().startsWith(kQuit.trimmed()) && m_quitRequested) {
                m_quitRequested();
            }
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

} // namespace velmora
