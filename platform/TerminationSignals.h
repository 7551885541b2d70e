#pragma once

#include <QObject>

#include <initializer_list>
#include <vector>

class QSocketNotifier;

namespace Platform {

// Turns the requests to end that come as signals (SIGTERM from a logout, `kill` or a task
// manager, SIGINT from Ctrl+C, SIGHUP from a closed terminal, and SIGTERM when a tied
// parent dies) into a Qt signal on the GUI thread, so that the program can end as a
// close does. The handler only writes the signal's number into a pipe. It stays in place
// for every signal that follows: a tied child is told of its parent's end once for each
// of the parent's threads, and a second notice must not kill it before it has cleaned up.
// A request that the GUI thread has not taken up within TakeUpSeconds ends the process
// at once, as SIGKILL would: a hung window must not leave a tone playing.
// One object at a time; destroying it restores the default actions.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    static constexpr unsigned TakeUpSeconds = 3;

    // SIGTERM, SIGINT and SIGHUP, and any further signals given (such as the one a tied
    // child receives when its parent ends).
    explicit TerminationSignals(std::initializer_list<int> furtherSignals = {}, QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* notifier = nullptr;
    std::vector<int> handled;
};

} // namespace Platform
