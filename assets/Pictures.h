#pragma once

#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The pictures of the main window and the user-manual pages, drawn as SVG and
// bundled as Qt resources under ":/pictures/<name>" (name = file base name,
// e.g. "up_idle", "channel_selected", "manual_cn").
//
// Every call renders the SVG once per requested size (antialiased) and keeps
// the result in QPixmapCache. A QGuiApplication must exist.
namespace Pictures {

// The picture at its natural size (the SVG's declared width x height).
QPixmap pixmap(const QString &name);

// The picture scaled to `size` (rendered from the vector source, not resampled).
QPixmap pixmap(const QString &name, QSize size);

// The picture as an icon, rendered at each of the usual icon sizes from 16 to
// 256 pixels (a window icon, the task bar, the window switcher).
QIcon icon(const QString &name);

// The declared width x height of the picture; an invalid QSize if unknown.
QSize naturalSize(const QString &name);

// The resource path of a picture, e.g. ":/pictures/up_idle".
QString resourcePath(const QString &name);

} // namespace Pictures
