#pragma once

#include "platform/CompanionNames.h"
#include "platform/LoopedSound.h"

#include <QString>
#include <QWidget>

class QCloseEvent;

// The companion's only window. Its caption is how Tinevox finds it again: a close
// request to the window captioned "RodIdedivOzaruDodeZovo" ends the second tone.
class CompanionWindow : public QWidget {
    Q_OBJECT
public:
    // toneFolder: where Tinevox writes the tone files; empty when there is none (silence).
    explicit CompanionWindow(const QString& toneFolder);

    // Starts looping the tone file; a missing or unplayable file stays silent.
    void load();

    // When Tinevox died without closing this player, nobody else deletes its tone file.
    void deleteMainProgramsTone() { deleteTone(Platform::CompanionNames::FirstToneFile); }

    // The display has gone and the program ends without a close: the same shut-down, with
    // no X call, and the fade heard out before it returns.
    void endWithoutDisplay();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void unload();
    QString tonePath(const QString& name) const;
    void deleteTone(const QString& name) const;

    const QString directory;
    Platform::LoopedSound sound;
    bool unloaded = false;
};
