#include "Pictures.h"

#include "RawPicture.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QPainter>
#include <QResource>
#include <QtGlobal>

#include <cstring>

// Q_INIT_RESOURCE must be used outside of any namespace. The vector sources
// live in a static library, so they are registered on first use here instead
// of asking every executable to do it.  (The rasters register themselves.)
static void tavikInitVectorResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(pictures);
        // The manual pages name a CSS-style font list. Qt's SVG renderer takes
        // the whole attribute as one family name, so map that name onto its
        // members; otherwise Latin text falls back to an unrelated font.
        QFont::insertSubstitutions(
            QStringLiteral("Noto Sans CJK SC, Noto Sans, sans-serif"),
            {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans"), QStringLiteral("sans-serif")});
        return true;
    }();
    Q_UNUSED(done);
}

namespace Pictures {

namespace {

QPixmap missingPixmap(QSize size, qreal ratio)
{
    if (!size.isValid() || size.isEmpty())
        size = QSize(32, 32);
    QPixmap pm((QSizeF(size) * ratio).toSize());
    pm.setDevicePixelRatio(ratio);
    pm.fill(QColor(255, 0, 255));
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(0, 0, size.width() - 1, size.height() - 1);
    p.drawLine(0, size.height() - 1, size.width() - 1, 0);
    return pm;
}

QImage read(const QString &path, QSize pixels = {})
{
    QImageReader reader(path);
    if (pixels.isValid())
        reader.setScaledSize(pixels);
    return reader.read();
}

// The 100 % picture: the pixels in the binary, shown where they lie (a pixmap
// of this image shares them), so nothing is decoded or copied.  Empty for a
// name with no picture.
QImage readRaw(const QString &name)
{
    const QResource resource(resourcePath(name));
    const uchar *bytes = resource.data();
    if (!bytes || resource.compressionAlgorithm() != QResource::NoCompression
        || resource.size() < RawPicture::HeaderBytes)
        return {};
    RawPicture::Header h;
    std::memcpy(&h, bytes, sizeof h);
    const qint64 rowBytes = qint64(h.width) * 4;
    if (h.magic != RawPicture::Magic || resource.size() != RawPicture::HeaderBytes + rowBytes * h.height)
        return {};
    const QImage pixels(bytes + RawPicture::HeaderBytes, int(h.width), int(h.height), rowBytes,
                        QImage::Format(h.format));
    // QImage wants its rows on 32-bit boundaries; elsewhere, a copy.
    return quintptr(bytes) % 4 == 0 ? pixels : pixels.copy();
}

// The picture drawn into `pixels` device pixels.  At the sizes of the rasters
// made at build time, one of them as it is; up to twice the natural size (a
// 150 % screen), the 2x raster scaled down smoothly; beyond (300 %), the
// vector source drawn at that size, so it stays sharp.
QImage draw(const QString &name, QSize natural, QSize pixels)
{
    if (pixels == natural)
        return readRaw(name);
    const QSize twice = natural * 2;
    if (pixels == twice)
        return read(resourcePath(name, 2));
    if (pixels.width() > twice.width() || pixels.height() > twice.height())
        if (QImage image = read(vectorPath(name), pixels); !image.isNull())
            return image;
    // (Also where Qt's SVG image plugin is not installed.)
    return read(resourcePath(name, 2)).scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

QString resourcePath(const QString &name, int scale)
{
    return QStringLiteral(":/pictures/") + name + (scale == 2 ? QStringLiteral("@2x.png") : QStringLiteral(".argb"));
}

QString vectorPath(const QString &name)
{
    tavikInitVectorResources();
    return QStringLiteral(":/pictures/vector/") + name + QStringLiteral(".svg");
}

QSize naturalSize(const QString &name)
{
    static QHash<QString, QSize> sizes;
    auto it = sizes.constFind(name);
    if (it == sizes.constEnd()) {
        const QImage raw = readRaw(name);
        it = sizes.insert(name, raw.isNull() ? QSize() : raw.size());
    }
    return *it;
}

qreal defaultRatio()
{
    return qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
}

QPixmap pixmap(const QString &name, qreal ratio)
{
    return pixmap(name, naturalSize(name), ratio);
}

QPixmap pixmap(const QString &name, QSize size, qreal ratio)
{
    if (ratio <= 0)
        ratio = defaultRatio();
    // Not QPixmapCache: its limit would drop the large pictures at 200 % and
    // read them again; the set of pictures and sizes is small and fixed.
    static QHash<QString, QPixmap> made;
    const QString key = QStringLiteral("%1:%2x%3@%4").arg(name).arg(size.width()).arg(size.height()).arg(ratio);
    if (const auto it = made.constFind(key); it != made.constEnd())
        return *it;

    const QSize natural = naturalSize(name);
    if (!natural.isValid()) {
        qWarning("Pictures: no picture named \"%s\" (%s)", qPrintable(name), qPrintable(resourcePath(name)));
        return missingPixmap(size, ratio);
    }
    if (!size.isValid() || size.isEmpty()) {
        qWarning("Pictures: invalid size %dx%d requested for \"%s\"", size.width(), size.height(), qPrintable(name));
        return missingPixmap(natural, ratio);
    }
    QPixmap pm = QPixmap::fromImage(draw(name, natural, (QSizeF(size) * ratio).toSize()));
    pm.setDevicePixelRatio(ratio);
    made.insert(key, pm);
    return pm;
}

QIcon icon(const QString &name)
{
    // The picture for the screen's scaling; the window system's other sizes
    // are scaled from it (menus and task switchers take the desktop entry's
    // icon, installed at every size).
    return QIcon(pixmap(name));
}

} // namespace Pictures
