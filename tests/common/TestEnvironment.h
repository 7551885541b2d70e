#pragma once

// What every test of this program shares: its own settings file, its own scratch
// folder, and a private application directory holding a copy of the companion.

#include "platform/CompanionNames.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

namespace TestEnvironment {

// The settings file of this test; the test refuses to run against the user's own.
inline QString settingsFile()
{
    const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || config.startsWith(QDir::homePath() + QStringLiteral("/.config")))
        qFatal("XDG_CONFIG_HOME must point at the test's own folder");
    return config + QStringLiteral("/Tinecheck.conf");
}

inline void clearSettings()
{
    QFile::remove(settingsFile());
}

inline QString scratchRoot()
{
    const QString root = qEnvironmentVariable("TINEVOX_TEST_TMP");
    return root.isEmpty() ? QDir::tempPath() : root;
}

// The build's application directory, with both executables.
inline QString builtAppDir()
{
    return qEnvironmentVariable("TINEVOX_TEST_APP_DIR");
}

// A fresh application directory for one test; with a copy of the companion when asked.
class AppDir {
public:
    explicit AppDir(bool withCompanion) : dir(scratchRoot() + QStringLiteral("/appdir-XXXXXX"))
    {
        if (withCompanion) {
            const QString source = builtAppDir() + QLatin1Char('/') + Platform::CompanionNames::ProgramFile;
            if (!QFile::copy(source, companion()))
                qFatal("cannot copy the companion from %s", qPrintable(source));
        }
    }
    QString path() const { return dir.path(); }
    QString file(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString companion() const { return file(Platform::CompanionNames::ProgramFile); }

private:
    QTemporaryDir dir;
};

// For its lifetime, XDG_CONFIG_HOME names a settings file that cannot be written, even
// by root, who ignores permissions: its folder would have to be made under a file, or a
// folder has taken the file's name.
class UnwritableSettings {
public:
    enum class Way { FolderUnderAFile, FolderNamedAsTheFile };

    explicit UnwritableSettings(Way way)
        : root(scratchRoot() + QStringLiteral("/settings-XXXXXX")), saved(qgetenv("XDG_CONFIG_HOME"))
    {
        QString config = root.filePath(QStringLiteral("config"));
        if (way == Way::FolderUnderAFile) {
            QFile plain(root.filePath(QStringLiteral("plain")));
            if (!plain.open(QIODevice::WriteOnly))
                qFatal("cannot make %s", qPrintable(plain.fileName()));
            config = plain.fileName() + QStringLiteral("/config");
        } else if (!QDir().mkpath(config + QStringLiteral("/Tinecheck.conf"))) {
            qFatal("cannot make a folder in %s", qPrintable(config));
        }
        point(config.toUtf8());
    }
    ~UnwritableSettings() { point(saved); }
    UnwritableSettings(const UnwritableSettings&) = delete;
    UnwritableSettings& operator=(const UnwritableSettings&) = delete;

    QString file() const { return settingsFile(); }

private:
    // QSettings reads XDG_CONFIG_HOME once per process.
    static void point(const QByteArray& config)
    {
        qputenv("XDG_CONFIG_HOME", config);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(config));
    }

    QTemporaryDir root;
    QByteArray saved;
};

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Runs several test classes in one executable; fails if any of them fails.
template <typename Test>
int runOne(int argc, char** argv)
{
    Test tests;
    return QTest::qExec(&tests, argc, argv);
}

template <typename... Tests>
int runAll(int argc, char** argv)
{
    int status = 0;
    ((status |= runOne<Tests>(argc, argv)), ...);
    return status;
}

} // namespace TestEnvironment
