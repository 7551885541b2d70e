#pragma once

#include <QAccessibleWidget>

class MenuLabel;

// How a screen reader sees a menu label: a button named by its caption, with its access
// keys, that opens a menu (or a dialog) once the request is answered: either runs on.
class MenuLabelAccessible : public QAccessibleWidget {
public:
    explicit MenuLabelAccessible(MenuLabel* label);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString& actionName) const override;

    // The factory that Qt asks for the interface of every object; answers for menu
    // labels only.
    static QAccessibleInterface* factory(const QString& className, QObject* object);

private:
    MenuLabel* label() const;
    bool opensMenu() const;
};
