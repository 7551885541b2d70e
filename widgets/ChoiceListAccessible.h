#pragma once

#include "widgets/OneLineTextAccessible.h"

class QComboBox;

// How a screen reader sees a drop-down list that cannot be typed into: a combo box,
// named by its label, whose value is the entry it shows, read as its text. Qt's own
// interface gives the value only as a selection in the closed popup's list, which Qt
// 6.4 cannot report, so the lists were heard without their value.
class ChoiceListAccessible : public OneLineTextAccessible {
public:
    explicit ChoiceListAccessible(QComboBox* list);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    using OneLineTextAccessible::text;

    // The factory that Qt asks for the interface of every object; answers for lists
    // that cannot be edited.
    static QAccessibleInterface* factory(const QString& className, QObject* object);
    // Makes the factory known; once is enough.
    static void install();

protected:
    QString shownText() const override;

private:
    QComboBox* list() const;
};
