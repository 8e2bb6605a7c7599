#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The pictures of the main window and the user-manual pages, drawn as SVG and
// bundled as Qt resources under ":/pictures/<name>" (name = file base name,
// e.g. "up_idle", "channel_selected", "manual_cn").
//
// Sizes are in device-independent pixels. A picture is rendered from its
// vector source for a device pixel ratio (150 % scaling: 1.5), so it stays
// sharp on a scaled screen: the pixmap has size x ratio pixels and carries
// the ratio. Each picture is rendered once per size and ratio and kept for
// the whole run. A QGuiApplication must exist; GUI thread only.
namespace Pictures {

// The ratio used when a caller gives none: the application's highest.
qreal defaultRatio();

// The picture at its natural size (the SVG's declared width x height).
QPixmap pixmap(const QString &name, qreal ratio = 0);

// The picture scaled to `size` (rendered from the vector source, not resampled).
// A ratio <= 0 means defaultRatio().
QPixmap pixmap(const QString &name, QSize size, qreal ratio = 0);

// The picture as an icon, rendered at each of the usual icon sizes from 16 to
// 256 pixels (a window icon, the task bar, the window switcher).
QIcon icon(const QString &name);

// The declared width x height of the picture; an invalid QSize if unknown.
QSize naturalSize(const QString &name);

// The resource path of a picture, e.g. ":/pictures/up_idle".
QString resourcePath(const QString &name);

} // namespace Pictures
