#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace Platform {

// Tells whether another instance of this program runs for the same user. The first
// instance holds a lock file in the per-user runtime directory for as long as the
// object lives; the lock of an instance that died is taken over.
class SingleInstance {
public:
    explicit SingleInstance(const QString& programName);
    bool anotherInstanceRuns() const { return !owned; }

private:
    std::unique_ptr<QLockFile> lock;
    bool owned = false;
};

} // namespace Platform
