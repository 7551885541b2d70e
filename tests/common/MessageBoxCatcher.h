#pragma once

// Closes the next message box once it is shown, keeping its text and title.
// Stops looking when it goes.

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

struct MessageBoxCatcher {
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    int seen = 0;
    QObject alive;
    void arm()
    {
        QTimer::singleShot(0, &alive, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                    text = box->text();
                    title = box->windowTitle();
                    icon = box->icon();
                    format = box->textFormat();
                    ++seen;
                    box->accept();
                    return;
                }
            }
            arm();
        });
    }
};
