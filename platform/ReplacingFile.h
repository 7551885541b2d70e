#pragma once

#include <QString>

namespace Platform {

// A file that appears under its name only once it is complete. It is written under a
// fresh hidden name in the same folder, created exclusively and never through a link,
// and then renamed over the final name: nobody can redirect the write by planting a link
// or a file under either name, and no partial file ever carries the final name. What was
// not committed is deleted when the object goes.
class ReplacingFile {
public:
    explicit ReplacingFile(const QString& finalPath);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Each returns false on failure; error() then holds the system's error number.
    bool open();
    bool write(const char* data, qint64 size);
    bool commit(); // closes the file and renames it over the final name

    int error() const { return lastError; }

private:
    bool fail(int errorNumber);
    void discard();

    QString finalPath;
    QString temporary;
    int descriptor = -1;
    int lastError = 0;
};

// The system's error number as words for the user, ending without a full stop:
// ENOSPC is "the disk is full".
QString fileErrorInWords(int errorNumber);

} // namespace Platform
