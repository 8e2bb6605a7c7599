// Where every picture, label and box of the main window stands.  The tables
// are in stacking order, bottom to top: panel pictures, then per button its
// idle, hover and selected pictures, then the labels.
#pragma once

#include <QRect>
#include <QString>

#include <vector>

namespace PanelLayout {

inline constexpr int ClientWidth = 616;
inline constexpr int ClientHeight = 538;

struct Picture {
    QString name; // objectName
    QString picture; // picture resource name
    QRect rect;
    bool visible; // at start
};

enum class LabelRole { Hit, Caption };

struct Label {
    QString name;
    QRect rect; // a zero size means: as large as its text
    LabelRole role;
    QString text; // design-time text (captions are replaced by the language table)
};

const std::vector<Picture> &pictures();
const std::vector<Label> &labels();

// Channel n = 1..16 and limit point n = 1..4.
QRect channelCell(int n); // idle and hover pictures
QRect channelSelected(int n); // the selected picture
QRect channelLabel(int n);
QRect limitCell(int n, bool idlePicture);
QRect limitLabel(int n);

inline const QRect IdBox {98, 69, 168, 20};
inline const QRect PortBox {402, 70, 169, 20};
inline const QRect PercentBox {505, 199, 41, 19};

// The position slider: the pointer's left edge is 339 at 0 % and 539 at 100 %.
inline constexpr int TrackLeft = 347;
inline constexpr int TrackWidth = 200;
inline constexpr int PointerZero = 339;
inline constexpr int PointerTop = 164;
inline constexpr int DragMin = 340;
inline constexpr int DragMax = 539;
inline constexpr int BarMaxWidth = 210;
inline constexpr int BarHeight = 4;
// The pointer's left edge for a percentage, and the percentage it stands at
// (truncated toward zero, as the motor's positions are whole percents).
constexpr int pointerLeft(int percent)
{
    return PointerZero + 2 * percent;
}
constexpr int pointerPercent(int left)
{
    return (left - PointerZero) / 2;
}

} // namespace PanelLayout
