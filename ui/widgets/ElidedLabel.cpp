#include "ElidedLabel.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

ElidedLabel::ElidedLabel(Qt::TextElideMode mode, QWidget *parent) : QLabel(parent), m_mode(mode)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString &text)
{
    if (text == m_fullText)
        return;
    m_fullText = text;
    setToolTip(text);
    setAccessibleName(text);
    emit fullTextChanged(); // may give it another width
    elide();
}

int ElidedLabel::naturalWidth() const
{
    if (m_fullText.isEmpty())
        return 0;
    // Rounded up: a width a fraction short of the text's would cut it.
    const int text = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(m_fullText))) + 1;
    return text + width() - contentsRect().width() + 2 * std::max(0, indent());
}

QSize ElidedLabel::sizeHint() const
{
    return {0, QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::elide()
{
    setText(fontMetrics().elidedText(m_fullText, m_mode, std::max(0, contentsRect().width())));
}
