#pragma once

#include <QDialog>
#include <QTimer>

// A dialog that opens centred on its owner window, title bar and border included.
// Qt's own placement guesses the frame of a dialog that is not yet shown from other
// windows; the main window has none, so the guess put dialogs 10 px left of and
// 40 px above its centre.
class OwnerCentredDialog : public QDialog {
    Q_OBJECT
public:
    OwnerCentredDialog(QWidget* owner, Qt::WindowFlags flags);

    // Where the dialog's outer top-left corner goes so that a window of outerSize is
    // centred on the owner's outer rectangle.
    static QPoint centredPosition(const QRect& ownerFrame, const QSize& outerSize);

protected:
    void showEvent(QShowEvent* event) override;
    bool event(QEvent* event) override;

private:
    void centreOnOwner(const QMargins& frame);
    // The window manager's frame is known only once the dialog is mapped; the dialog
    // is placed again then, once, if its frame differs from the last dialog's.
    void placeOnceFramed();

    static constexpr int FrameCheckMs = 10;
    static constexpr int MaxFrameChecks = 500; // 5 s: a busy window manager, or none
    QTimer frameWatch;
    int frameChecks = 0;
};
