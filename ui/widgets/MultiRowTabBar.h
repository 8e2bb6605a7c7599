// A tab bar that wraps its tabs into as many rows as the width needs, the
// way the settings window's page control has always shown them: no scroll
// arrows, every caption whole.
//
// The tabs keep their natural sizes while they fit one row.  With more rows,
// the tabs of each row are widened to fill it, and the row holding the
// current tab lies at the bottom, next to the page it opens; the other rows
// keep their cyclic order above it.  Clicks, hover and tool tips use these
// rectangles; the keyboard, the wheel and QTabWidget's Ctrl+Tab work as with
// any tab bar.  Changing a caption (QTabWidget::setTabText) lays the rows
// out again and asks the tab widget for the new height.
#pragma once

#include <QList>
#include <QRect>
#include <QTabBar>
#include <QTabWidget>

class MultiRowTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit MultiRowTabBar(QWidget *parent = nullptr);

    // The rows the tabs take at the bar's present width.
    int rowCount() const;
    // Where tab index is drawn, in the bar's coordinates; empty for an
    // invalid index.
    QRect rowTabRect(int index) const;
    // The tab under a point of the bar, or -1.
    int rowTabAt(QPoint at) const;

    // Room added around each tab's caption on top of what the style asks
    // for.  A style sheet gives its tabs room this way rather than with a
    // padding, which it would apply twice to the caption of a tab drawn
    // outside the base class's row.
    void setTabPadding(QSize padding);
    QSize tabPadding() const { return m_padding; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    QSize tabSizeHint(int index) const override;
    void tabLayoutChange() override;
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    struct Rows {
        QList<QRect> rects; // per tab
        QList<int> row; // per tab: its row in reading order
        int count = 0; // rows
        int height = 0; // of one row
    };
    Rows layoutFor(int width) const;
    // The width the bar gets: its tab widget's, less the style's margins.
    int availableWidth() const;
    QSize naturalTabSize(int index) const;
    void setHovered(int index);

    int m_hovered = -1;
    QSize m_padding;
};

// QTabWidget::setTabBar is protected: this tab widget installs a
// MultiRowTabBar before any page is added.
class MultiRowTabWidget : public QTabWidget {
    Q_OBJECT
public:
    explicit MultiRowTabWidget(QWidget *parent = nullptr);

    MultiRowTabBar *rowTabBar() const;
};
