#include "platform/TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace Platform {

namespace {

int pipeEnds[2] = {-1, -1}; // read, write

extern "C" void onTerminationSignal(int signalNumber)
{
    const int savedErrno = errno;
    const char number = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &number, 1);
    // Ended by the alarm's default action unless the GUI thread takes the request up.
    ::alarm(TerminationSignals::TakeUpSeconds);
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(std::initializer_list<int> furtherSignals, QObject* parent)
    : QObject(parent), handled {SIGTERM, SIGINT, SIGHUP}
{
    handled.insert(handled.end(), furtherSignals);
    if (pipeEnds[0] >= 0 || ::pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        ::alarm(0); // taken up
        char numbers[16];
        for (ssize_t got = 0; (got = ::read(pipeEnds[0], numbers, sizeof numbers)) > 0;) {
            for (ssize_t i = 0; i < got; ++i)
                emit received(numbers[i]);
        }
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : handled)
        ::sigaction(signalNumber, &action, nullptr);
    ::signal(SIGALRM, SIG_DFL);
}

TerminationSignals::~TerminationSignals()
{
    if (!notifier)
        return;
    for (int signalNumber : handled)
        ::signal(signalNumber, SIG_DFL);
    delete notifier;
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    pipeEnds[0] = pipeEnds[1] = -1;
}

} // namespace Platform
