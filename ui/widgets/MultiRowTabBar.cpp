#include "MultiRowTabBar.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QToolTip>

#include <algorithm>

namespace {

// Kept free at the bar's right end, as the style leaves the tab widget's
// frame corner free.
constexpr int RightMargin = 4;

} // namespace

MultiRowTabBar::MultiRowTabBar(QWidget *parent) : QTabBar(parent)
{
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setExpanding(false);
    setDrawBase(false);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    // Another current tab may bring another row to the bottom.
    connect(this, &QTabBar::currentChanged, this, [this] { update(); });
}

void MultiRowTabBar::setTabPadding(QSize padding)
{
    m_padding = padding;
    updateGeometry();
    update();
}

QSize MultiRowTabBar::naturalTabSize(int index) const
{
    return QTabBar::tabSizeHint(index) + 2 * m_padding;
}

int MultiRowTabBar::availableWidth() const
{
    if (auto *tabs = qobject_cast<QTabWidget *>(parentWidget())) {
        int width = tabs->width() - RightMargin;
        for (Qt::Corner corner : {Qt::TopLeftCorner, Qt::TopRightCorner})
            if (QWidget *w = tabs->cornerWidget(corner); w && w->isVisibleTo(tabs))
                width -= w->width();
        return std::max(width, 1);
    }
    return std::max(width(), 1);
}

MultiRowTabBar::Rows MultiRowTabBar::layoutFor(int width) const
{
    Rows rows;
    const int n = count();
    if (n == 0)
        return rows;

    // Greedy rows of natural sizes, all rows as high as the highest tab.
    QList<QSize> sizes;
    QList<QList<int>> members(1);
    int used = 0;
    for (int i = 0; i < n; ++i) {
        const QSize size = naturalTabSize(i);
        sizes << size;
        rows.height = std::max(rows.height, size.height());
        if (used > 0 && used + size.width() > width) {
            members.append(QList<int>());
            used = 0;
        }
        members.last() << i;
        used += size.width();
    }
    rows.count = int(members.size());
    rows.rects.resize(n);
    rows.row.resize(n);

    // The row with the current tab goes to the bottom, next to the page.
    const int current = currentIndex();
    int currentRow = rows.count - 1;
    for (int r = 0; r < rows.count; ++r)
        if (members[r].contains(current))
            currentRow = r;

    for (int r = 0; r < rows.count; ++r) {
        const QList<int> &tabs = members[r];
        const int shown = (r - currentRow - 1 + 2 * rows.count) % rows.count;
        int natural = 0;
        for (int i : tabs)
            natural += sizes[i].width();
        // Several rows: every row is stretched over the whole width.
        const int extra = rows.count > 1 ? std::max(width - natural, 0) : 0;
        int x = 0;
        for (int k = 0; k < int(tabs.size()); ++k) {
            const int i = tabs[k];
            int w = sizes[i].width() + extra / int(tabs.size());
            if (k < extra % int(tabs.size()))
                ++w;
            rows.rects[i] = QRect(x, shown * rows.height, w, rows.height);
            rows.row[i] = r;
            x += w;
        }
    }
    return rows;
}

int MultiRowTabBar::rowCount() const
{
    return layoutFor(width()).count;
}

QRect MultiRowTabBar::rowTabRect(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return layoutFor(width()).rects[index];
}

int MultiRowTabBar::rowTabAt(QPoint at) const
{
    const Rows rows = layoutFor(width());
    for (int i = 0; i < int(rows.rects.size()); ++i)
        if (isTabVisible(i) && rows.rects[i].contains(at))
            return i;
    return -1;
}

QSize MultiRowTabBar::tabSizeHint(int index) const
{
    const Rows rows = layoutFor(availableWidth());
    if (index < 0 || index >= int(rows.rects.size()))
        return QTabBar::tabSizeHint(index);
    return rows.rects[index].size();
}

QSize MultiRowTabBar::sizeHint() const
{
    const int width = availableWidth();
    const Rows rows = layoutFor(width);
    if (rows.count == 0)
        return QTabBar::sizeHint();
    int used = 0;
    if (rows.count == 1)
        for (const QRect &r : rows.rects)
            used = std::max(used, r.right() + 1);
    return {rows.count > 1 ? width : used, rows.count * rows.height};
}

QSize MultiRowTabBar::minimumSizeHint() const
{
    const QSize hint = sizeHint();
    int widest = 0;
    for (int i = 0; i < count(); ++i)
        widest = std::max(widest, naturalTabSize(i).width());
    return {std::min(widest, hint.width()), hint.height()};
}

void MultiRowTabBar::tabLayoutChange()
{
    QTabBar::tabLayoutChange();
    updateGeometry(); // the row count may have changed with a caption
    update();
}

void MultiRowTabBar::resizeEvent(QResizeEvent *event)
{
    QTabBar::resizeEvent(event);
    update();
}

void MultiRowTabBar::paintEvent(QPaintEvent *)
{
    const Rows rows = layoutFor(width());
    const int current = currentIndex();
    QStylePainter painter(this);

    auto draw = [&](int i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        const QRect rect = rows.rects[i];
        option.rect = rect;
        // Without an index, styles take the rectangle from the option instead
        // of from the base class's single row.  (A style sheet then applies a
        // tab rule's border and padding twice to the caption; see setTabPadding.)
        option.tabIndex = -1;
        option.row = rows.row[i];
        option.state &= ~QStyle::State_MouseOver;
        if (i == m_hovered && isTabEnabled(i))
            option.state |= QStyle::State_MouseOver;

        // Neighbours within the same shown row.
        int before = -1, after = -1;
        for (int j = 0; j < count(); ++j) {
            if (j == i || !isTabVisible(j) || rows.rects[j].y() != rect.y())
                continue;
            if (rows.rects[j].right() + 1 == rect.left())
                before = j;
            if (rows.rects[j].left() == rect.right() + 1)
                after = j;
        }
        if (before < 0 && after < 0)
            option.position = QStyleOptionTab::OnlyOneTab;
        else if (before < 0)
            option.position = QStyleOptionTab::Beginning;
        else if (after < 0)
            option.position = QStyleOptionTab::End;
        else
            option.position = QStyleOptionTab::Middle;
        option.selectedPosition = QStyleOptionTab::NotAdjacent;
        if (before >= 0 && before == current)
            option.selectedPosition = QStyleOptionTab::PreviousIsSelected;
        else if (after >= 0 && after == current)
            option.selectedPosition = QStyleOptionTab::NextIsSelected;
        painter.drawControl(QStyle::CE_TabBarTab, option);
    };

    // The current tab last: it overlaps its neighbours and the page frame.
    for (int i = 0; i < count(); ++i)
        if (i != current && isTabVisible(i))
            draw(i);
    if (current >= 0 && isTabVisible(current))
        draw(current);
}

void MultiRowTabBar::setHovered(int index)
{
    if (index != m_hovered) {
        m_hovered = index;
        update();
    }
}

bool MultiRowTabBar::event(QEvent *event)
{
    switch (event->type()) {
    // The base class tracks hover and tool tips on its single-row geometry.
    case QEvent::HoverEnter:
    case QEvent::HoverMove: setHovered(rowTabAt(static_cast<QHoverEvent *>(event)->position().toPoint())); return true;
    case QEvent::HoverLeave:
    case QEvent::Leave: setHovered(-1); return QWidget::event(event);
    case QEvent::ToolTip: {
        auto *help = static_cast<QHelpEvent *>(event);
        const int index = rowTabAt(help->pos());
        if (index >= 0 && !tabToolTip(index).isEmpty())
            QToolTip::showText(help->globalPos(), tabToolTip(index), this, rowTabRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    default: return QTabBar::event(event);
    }
}

void MultiRowTabBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const int index = rowTabAt(event->position().toPoint());
    if (index >= 0 && isTabEnabled(index)) {
        setCurrentIndex(index);
        event->accept();
    } else {
        event->ignore();
    }
}

void MultiRowTabBar::mouseMoveEvent(QMouseEvent *event)
{
    setHovered(rowTabAt(event->position().toPoint()));
    event->accept();
}

void MultiRowTabBar::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
}

void MultiRowTabBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int index = rowTabAt(event->position().toPoint());
    if (index >= 0)
        emit tabBarDoubleClicked(index);
    event->accept();
}

// --- the tab widget -------------------------------------------------------------

MultiRowTabWidget::MultiRowTabWidget(QWidget *parent) : QTabWidget(parent)
{
    setTabBar(new MultiRowTabBar(this));
}

MultiRowTabBar *MultiRowTabWidget::rowTabBar() const
{
    return static_cast<MultiRowTabBar *>(tabBar());
}
