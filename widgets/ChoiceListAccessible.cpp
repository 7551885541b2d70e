#include "widgets/ChoiceListAccessible.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QMetaObject>

ChoiceListAccessible::ChoiceListAccessible(QComboBox* list) : OneLineTextAccessible(list, QAccessible::ComboBox) {}

QComboBox* ChoiceListAccessible::list() const
{
    return static_cast<QComboBox*>(widget());
}

QString ChoiceListAccessible::shownText() const
{
    return list()->currentText();
}

QAccessible::State ChoiceListAccessible::state() const
{
    QAccessible::State s = OneLineTextAccessible::state();
    s.expandable = true;
    s.expanded = list()->view()->isVisible();
    s.hasPopup = true;
    return s;
}

QStringList ChoiceListAccessible::actionNames() const
{
    return QStringList {showMenuAction(), pressAction()} + OneLineTextAccessible::actionNames();
}

void ChoiceListAccessible::doAction(const QString& actionName)
{
    // After the request is answered: the popup takes the pointer and the keys.
    if (actionName == showMenuAction() || actionName == pressAction()) {
        QMetaObject::invokeMethod(list(), &QComboBox::showPopup, Qt::QueuedConnection);
        return;
    }
    OneLineTextAccessible::doAction(actionName);
}

QAccessibleInterface* ChoiceListAccessible::factory(const QString&, QObject* object)
{
    auto* list = qobject_cast<QComboBox*>(object);
    if (list && !list->isEditable())
        return new ChoiceListAccessible(list);
    return nullptr;
}

void ChoiceListAccessible::install()
{
    static const bool installed = (QAccessible::installFactory(&factory), true);
    Q_UNUSED(installed);
}
