#pragma once

#include <QString>

namespace Platform {

// The per-user settings store: text values addressed by application, section and key.
// Nothing is cached: every call reads or writes the store itself, so a value saved
// anywhere takes effect at the next read everywhere.
//
// Backed by QSettings in the native format, user scope, with the application as its
// organisation name: on Linux $XDG_CONFIG_HOME/<application>.conf.

// The text stored under key, or defaultValue when nothing is stored there.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue);

// Stores value under key, creating application and section on first use and
// replacing any earlier value. Written to disk before it returns.
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

} // namespace Platform
