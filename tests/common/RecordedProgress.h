#pragma once

// Follows the writing of tone files: it keeps every step, counts the questions whether
// to go on, and asks for a cancel once told to.

#include "tone/ToneProgress.h"

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
        return cancel;
    }
    void finished() override { ++finishedFiles; }
};
