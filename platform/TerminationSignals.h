#pragma once

#include <QObject>

#include <initializer_list>
#include <vector>

class QSocketNotifier;

namespace Platform {

// The requests to end that come as signals (SIGTERM from a logout, `kill` or a tied
// parent's end, SIGINT from Ctrl+C, SIGHUP from a closed terminal) as a Qt signal on the
// GUI thread, so that the program can end as a close does. The handler only writes the
// number into a pipe, and stays for every signal that follows: a tied child is told of
// its parent's end once for each of the parent's threads. A request the GUI thread has not
// taken up within TakeUpSeconds ends the process, so that a hung window leaves no tone
// playing. One object at a time; its end restores the default actions.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    static constexpr unsigned TakeUpSeconds = 3;

    // SIGTERM, SIGINT and SIGHUP, and any further signals given.
    explicit TerminationSignals(std::initializer_list<int> furtherSignals = {}, QObject* parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received(int signalNumber);

private:
    QSocketNotifier* notifier = nullptr;
    std::vector<int> handled;
};

} // namespace Platform
