#pragma once

#include "widgets/OwnerCentredDialog.h"

class QPushButton;

// The About dialog: name, version, credit and the notice. OK closes it; Escape does not.
class AboutDialog : public OwnerCentredDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* owner);

    static QString versionText();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* okButton = nullptr;
};
