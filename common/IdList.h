// What the ID lists of the main window and the two settings windows share:
// a fixed list that opens as 8 rows with a scroll bar, and that takes only
// digits and backspace, closed or open.
#pragma once

class QComboBox;

namespace IdList {

inline constexpr int VisibleRows = 8;

void setUp(QComboBox *list);

} // namespace IdList
