#include "platform/QuitSignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace velmora {

namespace {

int g_signalPipe[2] = {-1, -1};

extern "C" void forwardSignal(int) {
    // Only async-signal-safe work here: one byte into the pipe (never
    // blocking), and errno as the interrupted code had it.
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void onQuitSignals(std::function<void()> quit) {
    if (g_signalPipe[0] < 0 && socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, g_signalPipe) != 0) {
        return;
    }
    // The application owns it: it goes with the event loop it serves.
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [quit](QSocketDescriptor) {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = read(g_signalPipe[0], &byte, 1);
        quit();
    });
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        sigaction(s, &action, nullptr);
    }
}

} // namespace velmora
