#include "tone/ToneFileWriter.h"

#include <QFile>

void ToneFileWriter::write(std::vector<File> files)
{
    pool.start([this, batch = ++wanted, files = std::move(files)] { writeBatch(batch, files); });
}

template<typename Signal> void ToneFileWriter::report(unsigned batch, Signal signal)
{
    QMetaObject::invokeMethod(this, [this, batch, signal] {
        if (wanted == batch)
            signal();
    }, Qt::QueuedConnection);
}

void ToneFileWriter::writeBatch(unsigned batch, const std::vector<File>& files)
{
    writing = batch;
    try {
        bool complete = true;
        for (const File& file : files)
            complete = complete && WaveWriter::writeToneFile(file.plan, file.path, this);
        // Asked after the files took their names: an abandon that came later finds them
        // there and deletes them itself.
        if (complete && !cancelRequested())
            return report(batch, [this] { emit written(); });
    } catch (const ToneError& error) {
        report(batch, [this, error] { emit failed(error); });
    }
    for (const File& file : files)
        QFile::remove(file.path);
}

void ToneFileWriter::progress(double fraction)
{
    if (stepOnItsWay.exchange(true))
        return;
    QMetaObject::invokeMethod(this, [this, batch = writing, fraction] {
        stepOnItsWay = false;
        if (wanted == batch)
            emit progressed(fraction);
    }, Qt::QueuedConnection);
}
