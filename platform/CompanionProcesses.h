#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

namespace Platform {

// The companion echolet from its start to its end, for this run of Tinevox: each one
// started here, hidden and tied to this process; its close through its own window, or
// by SIGTERM when it shows none within a grace, and SIGKILL when it has not ended a grace
// after that; and the hidden companions an earlier run left behind. Nothing here waits:
// the end of each is noticed as it comes, and the graces run on one timer, so the GUI
// thread stays free.
class CompanionProcesses : public QObject {
    Q_OBJECT
public:
    explicit CompanionProcesses(const QString& programPath, QObject* parent = nullptr);
    // Every companion started here that has not taken a close yet is sent SIGTERM, which
    // it takes as its close: none plays on.
    ~CompanionProcesses() override;

    QString programPath() const { return path; }

    // Starts one, hidden and tied to this process. False when it could not be started.
    bool start();

    // Closes every companion started here. With byCaption, first the close STOP posts in
    // moving mode: a close request to one window with the companion's caption, whoever
    // started it.
    void closeAll(bool byCaption);

    // The same at the program's end: a companion without a window yet is sent SIGTERM at
    // once instead of being waited for, and what is left of an earlier run is killed.
    // Nothing is waited for: each fades out and ends by itself, and one that hangs is
    // sent the tie's signal when this process has ended.
    void closeAllAtProgramEnd(bool byCaption);

    // The program's end when the display has gone: no X call may be made, so each one
    // started here that has not taken a close is sent SIGTERM.
    void closeAllWithoutDisplay();

    // At start: the hidden companions of this installation that an earlier run left are
    // sent SIGTERM (each takes it as its close); any still running after a grace is killed.
    void endEarlierRun();

    // Before a playback writes its tone files: any companion of an earlier run that still
    // runs is killed now, as it would delete the new second tone file when it closes.
    void finishEndingEarlierRun();

signals:
    // One started here ended (was killed, or failed) while nobody had asked it to close.
    void endedWhilePlaying();

private:
    enum class Stage {
        Playing,
        Closing, // asked to close, its window not found yet
        Ending,  // its window has the close request, or it was sent SIGTERM
        Killed,  // sent SIGKILL: only its end is left to notice
    };
    class Companion;

    void close(bool byCaption, bool withoutGrace);
    void followUp(bool withoutGrace = false);
    void ended(Companion* companion);
    bool isHiddenStart(qint64 pid) const;

    const QString path;
    std::vector<Companion*> started; // until they end; children of this object
    std::vector<qint64> earlierRun;
    QElapsedTimer sinceEarlierRunEnded;
    QTimer graces;
    bool displayGone = false;
};

} // namespace Platform
