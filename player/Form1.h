#pragma once

#include "platform/LoopedSound.h"

#include <QString>
#include <QWidget>

class QCloseEvent;

// The companion's only window. Its caption is how Tinevox finds it again: a close
// request to the window captioned "RodIdedivOzaruDodeZovo" ends the second tone.
class Form1 : public QWidget {
    Q_OBJECT
public:
    static inline const QString Caption = QStringLiteral("RodIdedivOzaruDodeZovo");
    static inline const QString ToneFile = QStringLiteral("temp2.wav");

    explicit Form1(const QString& ownDirectory);

    // Starts looping the tone file; a missing or unplayable file stays silent.
    void Form_Load();

    // Deletes the tone file, ignoring every failure.
    void KillFile();

    QString tonePath() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void Form_Unload();

    const QString directory;
    Platform::LoopedSound sound;
    bool unloaded = false;
};
