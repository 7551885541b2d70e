#pragma once

#include <QString>

namespace Platform {

// What keeps a file from being written or replaced, in plain words for the user ("the
// file is read-only for you"); empty when nothing that can be seen beforehand stands in
// the way. Looks only: it makes no folder and writes nothing. Judged as the user is
// judged (root may write a read-only file).
QString writeObstacle(const QString& path);

} // namespace Platform
