#include "IdList.h"

#include "DigitKeys.h"

#include <QAbstractItemView>
#include <QComboBox>

void IdList::setUp(QComboBox *list)
{
    list->setMaxVisibleItems(VisibleRows);
    // Styles that open a combo box as a menu over it (Fusion among them)
    // show every item and ignore the row count: 100 IDs would run from the
    // top of the screen to the bottom.  A scrolling list keeps the count.
    // The list's view is made first, so that the style change reaches its
    // pop-up (row look, margins); the view was made for a menu, which has no
    // scroll bar, so the bar is asked for again.
    QAbstractItemView *view = list->view();
    list->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    acceptDigitKeysOnly(list);
    // Keys typed while the list is open go to its view, whose keyboard search
    // would otherwise jump to the group item on a "g".
    acceptDigitKeysOnly(view);
}
