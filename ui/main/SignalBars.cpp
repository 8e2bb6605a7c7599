#include "SignalBars.h"

#include "Pictures.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

namespace {

// The bars as the background draws them, in panel coordinates: left edges,
// 4 wide, rising from a common foot at y 30.
constexpr int BarLefts[5] = {560, 567, 574, 581, 588};
constexpr int BarHeights[5] = {4, 7, 10, 13, 16};
constexpr int BarWidth = 4, BarFoot = 30;
const QRect Area(558, 12, 36, 20);
const QPoint BesideBars(555, 22); // plain background, left of the bars
const QPoint OnTallestBar(590, 22); // the background's lit bar

// A bar not earned: a dark slot, as far from a lit bar as the background
// allows (more than 3 : 1 in both looks of the window).
const QColor UnlitBar(0x1c, 0x28, 0x3e);
// A lit bar in the greyed window: the style's greying of the lit cyan is a
// mid grey too close to the greyed slots, so it is a light grey instead.
const QColor GreyedLitBar(0xe6, 0xe6, 0xe6);

QColor backgroundAt(QPoint at)
{
    static const QImage background = Pictures::pixmap(QStringLiteral("background"), 1.0).toImage();
    return background.pixelColor(at);
}

} // namespace

SignalBars::SignalBars(QWidget *panel) : QWidget(panel)
{
    setObjectName(QStringLiteral("SignalBars"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(Area);
}

void SignalBars::setBars(int bars)
{
    bars = std::clamp(bars, 0, 5);
    if (bars == m_bars)
        return;
    m_bars = bars;
    update();
}

// What a colour becomes where the window is greyed: the style's disabled
// rendering, as the panel's pictures get it.
QColor SignalBars::shown(const QColor &colour) const
{
    if (isEnabled())
        return colour;
    QPixmap dot(1, 1);
    dot.fill(colour);
    QStyleOption option;
    option.initFrom(this);
    return style()->generatedIconPixmap(QIcon::Disabled, dot, &option).toImage().pixelColor(0, 0);
}

// All five bars are drawn here, over the background's: lit as the background
// draws them, unlit as dark slots; greyed with the window.
void SignalBars::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), shown(backgroundAt(BesideBars)));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor lit = isEnabled() ? backgroundAt(OnTallestBar) : GreyedLitBar;
    const QColor unlit = shown(UnlitBar);
    for (int n = 0; n < 5; ++n) {
        const QRectF bar(BarLefts[n] - Area.x(), BarFoot - BarHeights[n] - Area.y(), BarWidth, BarHeights[n]);
        painter.setBrush(n < m_bars ? lit : unlit);
        painter.drawRoundedRect(bar, 1, 1);
    }
}
