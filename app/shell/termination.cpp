#include "shell/termination.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int g_pipe[2] = {-1, -1};

void OnSignal(int signalNumber) {
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a request; this one is not needed.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &number, 1);
    errno = saved;
}

}  // namespace

CTerminationSignals::CTerminationSignals(QObject* parent) : QObject(parent) {
    if (g_pipe[0] < 0 && ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CTerminationSignals::OnReadable);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    // Calls the signal interrupts go on, so a write or a sync of a save is not cut short.
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kSignals) sigaction(signalNumber, &action, nullptr);
}

CTerminationSignals::~CTerminationSignals() {
    for (int signalNumber : kSignals) std::signal(signalNumber, SIG_DFL);
}

void CTerminationSignals::OnReadable() {
    unsigned char number = 0;
    while (::read(g_pipe[0], &number, 1) == 1) emit Requested(number);
}
