#include "settings/NotSavedReport.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace NotSavedReport {

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("NotSavedReport", text);
}

} // namespace

QString afterSettingsDialog(const Platform::SettingsNotSaved& failure)
{
    return tr("The settings could not be saved: %1. They apply until Tinevox closes, but the next start "
              "will not have them.\nSettings file: %2")
        .arg(failure.reason, failure.file);
}

QString atClose(const Platform::SettingsNotSaved& failure)
{
    return tr("The band, the speeds and the mode could not be saved: %1. The next start will not have "
              "them.\nSettings file: %2")
        .arg(failure.reason, failure.file);
}

void show(QWidget* owner, const QString& message)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Tinevox"), message, QMessageBox::Ok, owner);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace NotSavedReport
