#include "user_manual.h"

#include "Pictures.h"

#include <QLabel>

namespace {

// Created in this order: the Chinese page, last, lies above.
constexpr struct { const char *name, *picture; } kPages[] = {
    {"Image_en", "manual_en"},
    {"Image_cn", "manual_cn"},
};

} // namespace

TForm2::TForm2(QWidget *mainWindow, QWidget *parent)
    : ChildWindow(mainWindow, QStringLiteral("Form2"), QStringLiteral(" 使用说明"), QSize(610, 397), true, parent)
{
    move(626, 327);
    for (const auto &p : kPages) {
        auto *page = new QLabel(this);
        page->setObjectName(QLatin1String(p.name));
        // A page is 610 x 400, three pixels taller than the window's client
        // area: the page keeps its bottom margin below the window's edge.
        page->setGeometry(0, 0, 610, 400);
    }
}

// The pages are full of text and take longer to draw than the whole main
// window: they are drawn when the manual is first opened, not at start-up.
void TForm2::showEvent(QShowEvent *event)
{
    if (!m_pagesDrawn) {
        for (const auto &p : kPages)
            findChild<QLabel *>(QLatin1String(p.name))->setPixmap(Pictures::pixmap(QLatin1String(p.picture)));
        m_pagesDrawn = true;
    }
    ChildWindow::showEvent(event);
}
