#include "platform/SettingsStore.h"

#include "platform/WriteObstacle.h"

#include <QCoreApplication>
#include <QHash>
#include <QSettings>
#include <QStringList>
#include <QVariant>

#include <mutex>

namespace Platform {

namespace {

// A key with a slash ("MPH/KPH") becomes a sub-key in the file ("MPH\\KPH=" under
// [Settings]); it is read back under the same name, which is all the program needs.
QString storedKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

// The values each settings file would not take, by stored key. QSettings forgets them
// as soon as the file cannot even be created. Locked, so that the store stays safe to
// call from any thread, as QSettings is.
struct UnsavedValues {
    std::mutex lock;
    QHash<QString, QHash<QString, QString>> byFile;
};

UnsavedValues& unsaved()
{
    static UnsavedValues values;
    return values;
}

QString tr(const char* text)
{
    return QCoreApplication::translate("SettingsStore", text);
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
        UnsavedValues& values = unsaved();
        const std::lock_guard guard(values.lock);
        const auto file = values.byFile.constFind(store.fileName());
        if (file != values.byFile.cend() && file->contains(storedKey(section, key)))
            return file->value(storedKey(section, key));
    }
    const QVariant value = store.value(storedKey(section, key));
    if (!value.isValid())
        return defaultValue;
    // A value typed by hand with a comma reads back as a list; it is still one text.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    if (!value.canConvert<QString>())
        return defaultValue;
    return value.toString();
}

std::optional<SettingsNotSaved> SaveSetting(const QString& application, const QString& section,
                                            const QString& key, const QString& value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, application);
    UnsavedValues& values = unsaved();
    const std::lock_guard guard(values.lock);
    QHash<QString, QString>& waiting = values.byFile[store.fileName()];
    waiting.insert(storedKey(section, key), value);
    for (auto v = waiting.cbegin(); v != waiting.cend(); ++v)
        store.setValue(v.key(), v.value());
    store.sync();
    const QString reason = whyNotSaved(store);
    if (reason.isEmpty()) {
        values.byFile.remove(store.fileName());
        return std::nullopt;
    }
    return SettingsNotSaved {store.fileName(), reason};
}

} // namespace Platform
