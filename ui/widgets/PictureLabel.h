// A label that shows one of the program's pictures (Pictures), rendered for
// the device pixel ratio of the screen it is on, so that it stays sharp at
// 150 % or 200 % scaling.  The picture is rendered when the label is first
// shown (hidden ones, like the manual's text-heavy pages, cost nothing at
// start-up) and again only when that ratio changes (the window moved to
// another screen), never to paint.
#pragma once

#include <QLabel>

class PictureLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    // Shows the named picture at its natural size, from the label's first
    // showing on.
    void setPicture(const QString &name);
    QString picture() const { return m_picture; }

protected:
    bool event(QEvent *event) override;

private:
    void render();

    QString m_picture;
    qreal m_ratio = 0;
};
