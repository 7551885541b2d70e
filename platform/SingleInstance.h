#pragma once

#include "platform/PrivateFolder.h"

#include <QLockFile>
#include <QString>

#include <memory>

namespace Platform {

// Tells whether another instance of this program runs for the same user. The first
// instance holds a lock file for as long as the object lives; the lock of an instance
// that died is taken over. By default the lock lies in the user's one lock folder,
// whatever the environment says, so that two starts of one user always meet there.
class SingleInstance {
public:
    explicit SingleInstance(const QString& programName, const QString& lockFolder = perUserLockFolder());
    bool anotherInstanceRuns() const { return another; }

private:
    std::unique_ptr<QLockFile> lock;
    bool another = false;
};

} // namespace Platform
