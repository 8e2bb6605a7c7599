#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The pictures of the main window and the user-manual pages (name = the SVG
// source's base name, e.g. "up_idle", "channel_selected", "manual_cn").
// Each is drawn at build time for 100 % scaling (the pixels as they are shown,
// ":/pictures/<name>.argb", see RawPicture.h) and 200 % (a PNG,
// ":/pictures/<name>@2x.png"); its SVG source is ":/pictures/vector/<name>.svg".
//
// Sizes are in device-independent pixels. A picture is made for a device
// pixel ratio (150 % scaling: 1.5), so it stays sharp on a scaled screen: the
// pixmap has size x ratio pixels and carries the ratio. At the rasters' own
// sizes it is read from them, up to 200 % scaled down from the larger one,
// beyond that the vector source is drawn (through Qt's SVG image plugin), so
// start-up parses no SVG. Each picture is made once per size and ratio and
// kept for the whole run. A QGuiApplication must exist; GUI thread only.
namespace Pictures {

// The ratio used when a caller gives none: the application's highest.
qreal defaultRatio();

// The picture at its natural size (the SVG's declared width x height).
QPixmap pixmap(const QString &name, qreal ratio = 0);

// The picture scaled to `size` (rendered from the vector source, not resampled).
// A ratio <= 0 means defaultRatio().
QPixmap pixmap(const QString &name, QSize size, qreal ratio = 0);

// The picture as a window icon, made for the screen's scaling.
QIcon icon(const QString &name);

// The declared width x height of the picture; an invalid QSize if unknown.
QSize naturalSize(const QString &name);

// The resource path of a picture's raster for scale 1 or 2, e.g.
// ":/pictures/up_idle.argb", ":/pictures/up_idle@2x.png".
QString resourcePath(const QString &name, int scale = 1);

// The resource path of a picture's SVG source.
QString vectorPath(const QString &name);

} // namespace Pictures
