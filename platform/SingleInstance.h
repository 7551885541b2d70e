#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace Platform {

// Tells whether another instance of this program runs for the same user. The first
// instance holds a lock file for as long as the object lives; the lock of an instance
// that died is taken over. The lock lies in the user's one lock folder (see
// perUserLockFolder), whatever the environment says, so that two starts of one user
// always meet there.
class SingleInstance {
public:
    explicit SingleInstance(const QString& programName);
    SingleInstance(const QString& programName, const QString& lockFolder);
    bool anotherInstanceRuns() const { return !owned; }

private:
    std::unique_ptr<QLockFile> lock;
    bool owned = false;
};

} // namespace Platform
