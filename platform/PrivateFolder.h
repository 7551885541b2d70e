#pragma once

#include <QString>

namespace Platform {

// Makes sure path is a folder only this user can enter: created with mode 0700 when it is
// missing (its parent must exist), narrowed to 0700 when it is ours but open to others.
// Refused, with the reason in words, when it is a symbolic link, not a folder, or owned
// by another user: someone else could then read or replace what is kept there. Returns
// an empty text when the folder is fit for use.
QString preparePrivateFolder(const QString& path);

// This user's own runtime folder (/run/user/<uid>) or, where there is none,
// /tmp/tinevox-<uid>: every process of one user agrees on it, whatever its environment.
// Empty when no such folder can be made safely.
QString perUserLockFolder();

} // namespace Platform
