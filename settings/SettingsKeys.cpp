#include "settings/SettingsKeys.h"

#include "platform/SettingsStore.h"

namespace Settings {

QString read(const Key& key)
{
    return Platform::GetSetting(Application, Section, key.name, key.defaultValue);
}

QString readEntry(const Key& key, const QStringList& entries)
{
    const QString stored = read(key);
    return entries.contains(stored, Qt::CaseSensitive) ? stored : key.defaultValue;
}

std::optional<Platform::SettingsNotSaved> write(const Key& key, const QString& value)
{
    return Platform::SaveSetting(Application, Section, key.name, value);
}

bool unitIsMph(const QString& stored)
{
    return stored == MphCaption;
}

QString unitCaption(const QString& stored)
{
    return unitIsMph(stored) ? MphCaption : KphCaption;
}

bool modeIsStationary(const QString& stored)
{
    return stored == QLatin1String("Stationary");
}

bool showFreqIsOn(const QString& stored)
{
    bool ok = false;
    const double value = stored.trimmed().toDouble(&ok);
    return ok && value != 0.0;
}

} // namespace Settings
