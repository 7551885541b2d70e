#pragma once

#include "platform/SettingsStore.h"

#include <QString>

class QWidget;

// Telling the user that choices will not be there at the next start: what was lost,
// why, and the settings file, in the words and the box of the program's other warnings.
namespace NotSavedReport {

// After the settings dialog's OK: the values still apply for this run.
QString afterSettingsDialog(const Platform::SettingsNotSaved& failure);
// At the main window's close: band, speeds and mode.
QString atClose(const Platform::SettingsNotSaved& failure);

// A modal warning over owner; the message names paths, which are never markup.
void show(QWidget* owner, const QString& message);

} // namespace NotSavedReport
