#pragma once

#include "settings/OwnerCentredDialog.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The About dialog: name, version, credit and the notice. OK closes it; Escape does not.
class frmAbout : public OwnerCentredDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner);

    void Form_Load();
    static QString versionText();

    QPlainTextEdit* Text1 = nullptr;
    QPushButton* Command1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;

public slots:
    void Command1_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
