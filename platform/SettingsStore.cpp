#include "platform/SettingsStore.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace Platform {

namespace {

// A key with a slash ("MPH/KPH") becomes a sub-key in the file ("MPH\\KPH=" under
// [Settings]); it is read back under the same name, which is all the program needs.
QString storedKey(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

} // namespace

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, application);
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

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, application);
    store.setValue(storedKey(section, key), value);
    store.sync();
}

} // namespace Platform
