#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

namespace Platform {

// The companion echolet from its start to its end, for this run of Tinevox: each one is
// started hidden and tied to this process, and closed through its own window, or by
// SIGTERM when it shows none within a grace and SIGKILL a grace after that; and the hidden
// companions an earlier run left behind. Nothing here waits: each end is noticed as it
// comes, and the graces run on one timer, so the GUI thread stays free.
class CompanionProcesses : public QObject {
    Q_OBJECT
public:
    explicit CompanionProcesses(const QString& programPath, QObject* parent = nullptr);
    // Each one started here that has no close yet is sent SIGTERM, which it takes as its
    // close: none plays on.
    ~CompanionProcesses() override;

    QString programPath() const { return path; }

    // False when it could not be started.
    bool start();

    // Closes every one started here. With byCaption, first the close STOP posts in moving
    // mode: a close request to one window with the companion's caption, whoever started it.
    void closeAll(bool byCaption) { close(byCaption, false); }

    // The same at the program's end, where nothing is waited for: one without a window yet
    // is sent SIGTERM at once, and what is left of an earlier run is killed. One that hangs
    // is sent the tie's signal when this process has ended.
    void closeAllAtProgramEnd(bool byCaption) { close(byCaption, true); }

    // The program's end after the display has gone: SIGTERM to each, and no X call.
    void closeAllWithoutDisplay()
    {
        displayGone = true;
        close(false, true);
    }

    // At start: the hidden companions of this installation an earlier run left are sent
    // SIGTERM (their close); any still running a grace later is killed.
    void endEarlierRun();

    // Before a playback writes its tone files: an earlier run's companion still closing
    // would delete the new second tone file, so it is killed now.
    void finishEndingEarlierRun();

signals:
    // One started here ended (was killed, or failed) while nobody had asked it to close.
    void endedWhilePlaying();

private:
    class Companion;

    void close(bool byCaption, bool atProgramEnd);
    void followUp(bool withoutGrace = false);
    bool isHiddenStart(qint64 pid) const;

    const QString path;
    std::vector<Companion*> started; // until they end; children of this object
    std::vector<qint64> earlierRun;
    QTimer graces;
    bool displayGone = false;
};

} // namespace Platform
