// A one-line label that never asks for room: its text is cut with "…" to the
// width it is given, and the whole text stays its tool tip and its accessible
// name.  Whoever places it reads naturalWidth() to share out the room.
#pragma once

#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit ElidedLabel(Qt::TextElideMode mode, QWidget *parent = nullptr);

    void setFullText(const QString &text);
    const QString &fullText() const { return m_fullText; }
    // The width that shows the whole text, padding included.
    int naturalWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void fullTextChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    const Qt::TextElideMode m_mode;
    QString m_fullText;
};
