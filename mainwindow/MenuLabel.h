#pragma once

#include <QKeySequence>
#include <QLabel>
#include <QList>

// A label of the window's top row that acts as a menu title ("Mode", "Help") or opens a
// dialog ("Settings"): it looks pressed while a mouse button is held and acts on the
// release, on its access keys, and on Enter, Space, Down or the menu key while it has
// the focus from Tab, which a frame around the caption shows.
class MenuLabel : public QLabel {
    Q_OBJECT
public:
    enum class Opens { Menu, Dialog };

    explicit MenuLabel(QWidget* parent = nullptr);

    Opens opens() const { return what; }
    void setOpens(Opens opens) { what = opens; }

    // A key that acts on the label from anywhere in its window, such as Alt+M; the
    // caption shows no access key.
    void addShortcut(const QKeySequence& sequence);
    QList<QKeySequence> shortcuts() const { return keys; }

    // Where a popup opened from the keyboard shows, in global coordinates: under the
    // label's left end, as a menu bar opens its menus.
    QPoint popupPlace() const;

public slots:
    // Acts as a key does.
    void activate();

signals:
    // The label was pressed; a popup opened by it shows at popupAt (global).
    void activated(const QPoint& popupAt);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setBackColour(const QColor& colour);

    Opens what = Opens::Menu;
    QList<QKeySequence> keys;
    bool pressed = false;
    QColor restingColour;
};
