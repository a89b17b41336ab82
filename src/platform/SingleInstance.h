#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QLocalServer;

namespace velmora {

// One running copy per user: the first copy listens on a local socket in the
// user's runtime folder; a later start finds it, tells it to end, and ends
// itself (the user then starts the program again).
class SingleInstance : public QObject {
public:
    // `name`: the socket; the user's own by default (tests use their own).
    explicit SingleInstance(std::function<void()> quitRequested, QString name = socketName(),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when no other copy runs: this copy is now the one. False when one
    // runs; it has been told to end.
    bool claim();

    // The name of the socket, for this user and $DISPLAY.
    static QString socketName();
    // What names one display in a DISPLAY value ("" when it names none).
    static QString displayKey(const QString& display);

private:
    void onConnection();

    std::function<void()> m_quitRequested;
    QString m_name;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace velmora
