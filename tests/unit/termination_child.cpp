// Takes the requests to end as the programs do, then either hangs in its GUI thread
// ("hung": no event loop runs again) or answers from its event loop ("answering": it
// takes the request up and ends on its own, with status 0, some seconds later).

#include "platform/TerminationSignals.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include <unistd.h>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Platform::TerminationSignals endRequests;
    QObject::connect(&endRequests, &Platform::TerminationSignals::received, &app, [] {
        QTimer::singleShot(2 * Platform::TerminationSignals::TakeUpSeconds * 1000, qApp, &QCoreApplication::quit);
    });
    std::puts("ready");
    std::fflush(stdout);
    if (argc > 1 && std::strcmp(argv[1], "hung") == 0) {
        for (;;)
            ::pause();
    }
    return QCoreApplication::exec();
}
