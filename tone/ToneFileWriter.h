#pragma once

#include "tone/ToneError.h"
#include "tone/ToneProgress.h"
#include "tone/WaveWriter.h"

#include <QThreadPool>

#include <atomic>
#include <vector>

// Writes tone files on a thread of its own, one batch after the other, so that a slow
// disk never holds up the window. Its signals come on the thread that made it.
class ToneFileWriter : public QObject, private ToneProgress {
    Q_OBJECT
public:
    struct File { WaveWriter::TonePlan plan; QString path; };

    ToneFileWriter() { pool.setMaxThreadCount(1); }
    // The pool then waits for the batch abandoned to unwind: at most one block.
    ~ToneFileWriter() override { abandon(); }

    // Abandons the batch under way, if any, and writes these files in order.
    void write(std::vector<File> files);
    // The batch under way stops at its next block, leaves no file and reports no more
    // steps, nor written() or failed().
    void abandon() { ++wanted; }

signals:
    // A file's cycles written so far, 1 after the last. A step that comes while the one
    // before is still on its way is dropped, so a fast disk costs no flood of repaints.
    void progressed(double fraction);
    // The file is complete, abandoned or refused.
    void fileFinished();
    void written();
    void failed(const ToneError& error); // nothing of the batch is left

private:
    // On the writer's thread.
    void writeBatch(unsigned batch, const std::vector<File>& files);
    void progress(double fraction) override;
    bool cancelRequested() override { return wanted != writing; }
    void finished() override { QMetaObject::invokeMethod(this, [this] { emit fileFinished(); }, Qt::QueuedConnection); }
    // Emits signal on this object's thread, unless batch has been abandoned by then.
    template<typename Signal> void report(unsigned batch, Signal signal);

    std::atomic<unsigned> wanted {0}; // the batch asked for last; any other stops
    unsigned writing = 0;             // the batch under way, on the writer's thread
    std::atomic<bool> stepOnItsWay {false};
    QThreadPool pool; // of one thread, so batches go in turn; last, so it goes first
};
