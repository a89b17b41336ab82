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

QString SingleInstance::socketName() {
    // One copy per user and desktop: every X display has its own wallpaper.
    QString display = QString::fromLocal8Bit(qgetenv("DISPLAY"));
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
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
