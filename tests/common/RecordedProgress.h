#pragma once

// Follows the writing of tone files as the progress dialog does, without a widget: it
// keeps every step, lets the event loop run whenever it is asked whether to go on (so
// that a timer can stop or close a playback there), and asks for a cancel once told to.

#include "tone/ToneProgress.h"

#include <QCoreApplication>

#include <vector>

struct RecordedProgress : ToneProgress {
    std::vector<double> steps;
    int asked = 0;
    int finishedFiles = 0;
    bool cancel = false;

    void progress(double fraction) override { steps.push_back(fraction); }
    bool cancelRequested() override
    {
        ++asked;
        QCoreApplication::processEvents();
        return cancel;
    }
    void finished() override { ++finishedFiles; }
};
