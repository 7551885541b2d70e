#pragma once

#include "widgets/OwnerCentredDialog.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The About dialog: name, version, credit and the notice. OK closes it; Escape does not.
class AboutDialog : public OwnerCentredDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* owner);

    static QString versionText();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void onOkClicked();

private:
    void load();

    QPlainTextEdit* noticeBox = nullptr;
    QPushButton* okButton = nullptr;
    QLabel* versionLabel = nullptr;
    QLabel* radarGunPicture = nullptr;
    QLabel* creditLabel = nullptr;
    QLabel* titleLabel = nullptr;
};
