#include "ManualWindow.h"

#include "PictureLabel.h"
#include "ScreenPlacement.h"

namespace {

PictureLabel *addPage(QWidget *window, const char *name, const char *picture)
{
    auto *page = new PictureLabel(window);
    page->setObjectName(QLatin1String(name));
    // A page is 610 x 400, three pixels taller than the window's client area:
    // the page keeps its bottom margin below the window's edge.
    page->setGeometry(0, 0, 610, 400);
    page->setPicture(QLatin1String(picture));
    return page;
}

} // namespace

ManualWindow::ManualWindow(QWidget *mainWindow, QWidget *parent)
    : ChildWindow(mainWindow, QStringLiteral("Form2"), QString(), QSize(610, 397), true, parent)
{
    placeOnScreen(this, {626, 327});
    addPage(this, "Image_en", "manual_en");
    addPage(this, "Image_cn", "manual_cn"); // created last: lies above
}
