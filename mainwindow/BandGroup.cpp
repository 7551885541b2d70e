#include "mainwindow/BandGroup.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QRadioButton>

namespace {

QAccessibleInterface* groupFactory(const QString&, QObject* object)
{
    if (auto* group = qobject_cast<BandGroup*>(object))
        return new QAccessibleWidget(group, QAccessible::Grouping);
    return nullptr;
}

} // namespace

BandGroup::BandGroup(QWidget* parent) : QFrame(parent)
{
    static const bool grouped = (QAccessible::installFactory(&groupFactory), true);
    Q_UNUSED(grouped);
}

void BandGroup::setButtons(const QList<QRadioButton*>& bandButtons)
{
    buttons = bandButtons;
    for (QRadioButton* button : buttons) {
        button->installEventFilter(this);
        connect(button, &QRadioButton::toggled, this, &BandGroup::followChoice);
    }
    followChoice();
}

void BandGroup::followChoice()
{
    for (QRadioButton* button : buttons)
        button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}

bool BandGroup::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const qsizetype at = buttons.indexOf(static_cast<QRadioButton*>(watched));
    int step = 0;
    if (key == Qt::Key_Down || key == Qt::Key_Right)
        step = 1;
    else if (key == Qt::Key_Up || key == Qt::Key_Left)
        step = -1;
    if (step == 0 || at < 0 || static_cast<QKeyEvent*>(event)->modifiers() != Qt::NoModifier)
        return QFrame::eventFilter(watched, event);
    QRadioButton* next = buttons[(at + step + buttons.size()) % buttons.size()];
    next->click(); // chosen as a click chooses it: the readouts follow
    next->setFocus(step > 0 ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}
