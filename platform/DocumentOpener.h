#pragma once

#include <QString>

#include <functional>

class QObject;

namespace Platform {

// Opens the file at path in the program the desktop associates with its type, without
// waiting for that program. When it cannot be opened (no launcher, or the launcher finds
// no program that takes it), failed runs on this thread, possibly a moment later; never
// once context has been destroyed.
void openDocument(const QString& path, QObject* context, std::function<void()> failed);

} // namespace Platform
