#pragma once

#include <QString>

#include <optional>

namespace Platform {

// The per-user settings store (QSettings, native format, user scope, the application as
// its organisation: $XDG_CONFIG_HOME/<application>.conf): text values by application,
// section and key. Every call reads or writes the store itself, so a value saved anywhere
// counts at the next read everywhere; only a value the store would not take is kept in
// memory for the rest of the run, read back from there and written again with every later
// save.

// A save that did not reach the disk: the file it was meant for and why, in plain words.
struct SettingsNotSaved {
    QString file;
    QString reason;
};

// The text stored under key, or defaultValue when nothing is stored there.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue);

// Stores value under key, creating application and section on first use and
// replacing any earlier value. Written to disk before it returns; when it could not
// be, says where and why.
std::optional<SettingsNotSaved> SaveSetting(const QString& application, const QString& section,
                                            const QString& key, const QString& value);

} // namespace Platform
