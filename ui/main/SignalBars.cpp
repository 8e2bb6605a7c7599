#include "SignalBars.h"

#include "Pictures.h"

#include <QPainter>

#include <algorithm>

namespace {

// The bars as the background draws them, in panel coordinates: left edges,
// 4 wide, rising from a common foot at y 30.
constexpr int BarLefts[5] = {560, 567, 574, 581, 588};
constexpr int BarHeights[5] = {4, 7, 10, 13, 16};
constexpr int BarWidth = 4, BarFoot = 30;
const QRect Area(558, 12, 36, 20);
const QPoint BesideBars(555, 22); // plain background, left of the bars
const QColor DimBar(56, 189, 248, 38); // a bar not lit: the faintest bar's tint

} // namespace

SignalBars::SignalBars(QWidget *panel) : QWidget(panel)
{
    setObjectName(QStringLiteral("SignalBars"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(Area);
    hide();
}

void SignalBars::setBars(int bars)
{
    bars = std::clamp(bars, 0, 5);
    if (bars == m_bars)
        return;
    m_bars = bars;
    setVisible(bars < 5);
    update();
}

void SignalBars::paintEvent(QPaintEvent *)
{
    // The bars not lit are painted over with the background beside them.
    static const QColor behind = Pictures::pixmap(QStringLiteral("background"), 1.0).toImage().pixelColor(BesideBars);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    for (int n = m_bars; n < 5; ++n) {
        const QRectF bar(BarLefts[n] - Area.x(), BarFoot - BarHeights[n] - Area.y(), BarWidth, BarHeights[n]);
        painter.setBrush(behind);
        painter.drawRect(bar.adjusted(-0.5, -0.5, 0.5, 0.5));
        painter.setBrush(DimBar);
        painter.drawRoundedRect(bar, 1, 1);
    }
}
