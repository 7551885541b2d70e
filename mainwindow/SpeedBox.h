#pragma once

#include "widgets/TypedLineEdit.h"

// A speed box: typing takes only digits and backspace, at most three characters.
class SpeedBox : public TypedLineEdit {
    Q_OBJECT
public:
    static constexpr int MaxTyped = 3;

    explicit SpeedBox(QWidget* parent = nullptr);

    // The key filter: true when the typed character may reach the box.
    static bool admits(QChar typed);

protected:
    bool admitsTyped(QChar typed, const QString&) const override { return admits(typed); }
};
