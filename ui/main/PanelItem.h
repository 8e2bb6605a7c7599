// One element of the picture-drawn control panel: a picture, a transparent
// hit label or a caption.  Pictures and hit labels take the mouse (press,
// release and every move, no button needed); captions let it through to
// whatever lies beneath.
#pragma once

#include "PictureLabel.h"

#include <QEvent>
#include <QHash>

#include <functional>

class PanelItem : public PictureLabel {
    Q_OBJECT
public:
    enum class Role { Picture, HitLabel, Caption };

    PanelItem(Role role, const QString &name, QWidget *parent);

    Role role() const { return m_role; }

    // The item's text.  A hit label draws it itself: QLabel keeps a whole
    // text document for the text of a label that takes the focus (tens of
    // kilobytes each, for a few digits).
    void setCaption(const QString &text);

    // The caption's colour, set on the palette only when it changes: it is
    // asked for on every status answer, and reading the palette back to
    // compare costs as much as setting it.
    void setTextColour(const QColor &colour);

    using MouseHandler = std::function<void(QMouseEvent *)>;
    MouseHandler onPress;
    MouseHandler onRelease;
    MouseHandler onMove;
    // Keys for an item that takes the focus (a hit label: Space and Enter
    // press and release it as the left button does); true: the key was used.
    using KeyHandler = std::function<bool(QKeyEvent *)>;
    KeyHandler onKeyPress;
    KeyHandler onKeyRelease;

    // A press or a release of the left button at the item's centre, as a
    // click, a key or a screen reader brings it.
    void sendButton(QEvent::Type pressOrRelease);

    void moveBy(int dx, int dy) { move(x() + dx, y() + dy); }

    // Whether the press now held moved this item: its release moves it back
    // exactly then, whatever changed in between.
    bool pressMoved = false;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Role m_role;
    QColor m_textColour;
    QString m_hitText;
};

// The panel's items by objectName, as built: each part of the panel takes
// its own items from here once and keeps them.
class PanelItems {
public:
    void add(PanelItem *item) { m_items.insert(item->objectName(), item); }
    PanelItem *operator()(const QString &name) const;
    // A numbered item: prefix followed by n ("Label_ch" 3 is "Label_ch3").
    PanelItem *operator()(const char *prefix, int n) const;

private:
    QHash<QString, PanelItem *> m_items;
};

// Brings an item of the panel to the front, under the boxes, which always
// lie above it.
using BringToFront = std::function<void(QWidget *)>;
