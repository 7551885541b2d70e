#include "platform/SettingsStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <mutex>

namespace Platform {

namespace {

// The values each settings file would not take, by file and stored key: QSettings forgets
// them as soon as the file cannot even be created. Locked, so that the store stays safe
// to call from any thread, as QSettings is.
std::mutex unsavedLock;
QHash<QString, QHash<QString, QString>> unsaved;

// A key with a slash ("MPH/KPH") becomes a sub-key in the file ("MPH\\KPH=" under
// [Settings]); it is read back under the same name, which is all the program needs.
QString storedKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("SettingsStore", text);
}

// What can be seen beforehand to keep the file from being written or replaced; empty when
// nothing does. Judged as the user is judged (root may write a read-only file).
QString writeObstacle(const QString& path)
{
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    if (file.isDir())
        return tr("a folder has the file's name");
    if (!QFileInfo(folder).isDir()) {
        QString existing = QDir::cleanPath(folder);
        while (!QFileInfo::exists(existing) && !QDir(existing).isRoot())
            existing = QFileInfo(existing).absolutePath();
        if (!QFileInfo(existing).isDir())
            return tr("the folder %1 cannot be made, because %2 is a file").arg(folder, existing);
        if (!QFileInfo(existing).isWritable())
            return tr("the folder %1 cannot be made, because you may not write in %2").arg(folder, existing);
        return {};
    }
    if (file.exists() && !file.isWritable())
        return tr("the file is read-only for you");
    // The file is replaced by a new one written beside it, so even a writable file needs
    // a folder that takes new files.
    if (!QFileInfo(folder).isWritable())
        return tr("you may not write in the folder %1").arg(folder);
    return {};
}

// Why the last sync left the file unwritten; empty when it was written. A file broken
// by hand reports a format error on reading that hides a failed write, so then only
// what stands in the way of a write tells.
QString whyNotSaved(const QSettings& store)
{
    if (store.status() == QSettings::NoError)
        return {};
    QString reason = writeObstacle(store.fileName());
    if (reason.isEmpty() && store.status() == QSettings::AccessError)
        reason = tr("the file could not be written (the disk may be full)");
    if (!reason.isEmpty() && qEnvironmentVariableIsEmpty("HOME") && qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        reason += tr("; neither HOME nor XDG_CONFIG_HOME is set");
    return reason;
}

} // namespace

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, application);
    {
        const std::lock_guard guard(unsavedLock);
        const QHash<QString, QString> waiting = unsaved.value(store.fileName());
        if (waiting.contains(storedKey(section, key)))
            return waiting.value(storedKey(section, key));
    }
    const QVariant value = store.value(storedKey(section, key));
    // A value typed by hand with a comma reads back as a list; it is still one text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.isValid() && value.canConvert<QString>() ? value.toString() : defaultValue;
}

std::optional<SettingsNotSaved> SaveSetting(const QString& application, const QString& section,
                                            const QString& key, const QString& value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, application);
    const std::lock_guard guard(unsavedLock);
    QHash<QString, QString>& waiting = unsaved[store.fileName()];
    waiting.insert(storedKey(section, key), value);
    for (auto v = waiting.cbegin(); v != waiting.cend(); ++v)
        store.setValue(v.key(), v.value());
    store.sync();
    const QString reason = whyNotSaved(store);
    if (reason.isEmpty()) {
        unsaved.remove(store.fileName());
        return std::nullopt;
    }
    return SettingsNotSaved {store.fileName(), reason};
}

} // namespace Platform
