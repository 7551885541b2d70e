#pragma once

// Whoever follows the writing of a tone file. The writer reports each cycle it has
// written and, after each block of cycles that reached the file, asks whether to give
// up; all on the thread that writes.
class ToneProgress {
public:
    virtual ~ToneProgress() = default;

    // fraction = cycles written / cycles of the file; 1 after the last. A file of no
    // whole cycle reports none.
    virtual void progress(double fraction) = 0;
    // True abandons the file.
    virtual bool cancelRequested() = 0;
    // The file is complete, abandoned or refused; the next report belongs to a new file.
    virtual void finished() = 0;
};
