#include "mainwindow/MenuLabelAccessible.h"

#include "mainwindow/MenuLabel.h"

#include <QMetaObject>

MenuLabelAccessible::MenuLabelAccessible(MenuLabel* label)
    : QAccessibleWidget(label, label->opens() == MenuLabel::Opens::Menu ? QAccessible::ButtonMenu : QAccessible::Button)
{
}

MenuLabel* MenuLabelAccessible::label() const
{
    return static_cast<MenuLabel*>(widget());
}

bool MenuLabelAccessible::opensMenu() const
{
    return label()->opens() == MenuLabel::Opens::Menu;
}

QString MenuLabelAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && label()->accessibleName().isEmpty())
        return label()->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State MenuLabelAccessible::state() const
{
    QAccessible::State s = QAccessibleWidget::state();
    s.hasPopup = true;
    return s;
}

QStringList MenuLabelAccessible::actionNames() const
{
    QStringList names {pressAction()};
    if (opensMenu())
        names << showMenuAction();
    return names + QAccessibleWidget::actionNames();
}

void MenuLabelAccessible::doAction(const QString& actionName)
{
    if (actionName == pressAction() || (opensMenu() && actionName == showMenuAction())) {
        QMetaObject::invokeMethod(label(), &MenuLabel::activate, Qt::QueuedConnection);
        return;
    }
    QAccessibleWidget::doAction(actionName);
}

QStringList MenuLabelAccessible::keyBindingsForAction(const QString& actionName) const
{
    if (actionName != pressAction() && actionName != showMenuAction())
        return QAccessibleWidget::keyBindingsForAction(actionName);
    QStringList bindings;
    for (const QKeySequence& keys : label()->shortcuts())
        bindings << keys.toString(QKeySequence::NativeText);
    return bindings;
}

QAccessibleInterface* MenuLabelAccessible::factory(const QString&, QObject* object)
{
    auto* label = qobject_cast<MenuLabel*>(object);
    return label ? new MenuLabelAccessible(label) : nullptr;
}
