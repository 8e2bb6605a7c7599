#include "Pictures.h"

#include <QColor>
#include <QFont>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QGuiApplication>
#include <QSvgRenderer>
#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside of any namespace. The resources live
// in a static library, so they are registered on first use here instead of
// asking every executable to do it.
static void tavikInitPictureResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(pictures);
        // The manual pages name a CSS-style font list. Qt's SVG renderer takes
        // the whole attribute as one family name, so map that name onto its
        // members; otherwise Latin text falls back to an unrelated font.
        QFont::insertSubstitutions(
            QStringLiteral("Noto Sans CJK SC, Noto Sans, sans-serif"),
            {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans"),
             QStringLiteral("sans-serif")});
        return true;
    }();
    Q_UNUSED(done);
}

namespace Pictures {

namespace {

// An empty pixmap of `size` device-independent pixels for the ratio.
QPixmap blankPixmap(QSize size, qreal ratio)
{
    QPixmap pm((QSizeF(size) * ratio).toSize());
    pm.setDevicePixelRatio(ratio);
    return pm;
}

QPixmap missingPixmap(QSize size, qreal ratio)
{
    if (!size.isValid() || size.isEmpty())
        size = QSize(32, 32);
    QPixmap pm = blankPixmap(size, ratio);
    pm.fill(QColor(255, 0, 255));
    QPainter p(&pm);
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(0, 0, size.width() - 1, size.height() - 1);
    p.drawLine(0, size.height() - 1, size.width() - 1, 0);
    return pm;
}

// Natural sizes are looked up once per name; the renderer itself is cheap to
// recreate and is only needed when a size is not yet cached.
QSize lookupNaturalSize(const QString &name)
{
    static QMutex mutex;
    static QHash<QString, QSize> sizes;
    QMutexLocker lock(&mutex);
    const auto it = sizes.constFind(name);
    if (it != sizes.constEnd())
        return *it;
    QSize size;
    const QString path = resourcePath(name);
    if (QFile::exists(path)) {
        QSvgRenderer renderer(path);
        if (renderer.isValid())
            size = renderer.defaultSize();
    }
    sizes.insert(name, size);
    return size;
}

} // namespace

QString resourcePath(const QString &name)
{
    tavikInitPictureResources();
    return QStringLiteral(":/pictures/") + name;
}

QSize naturalSize(const QString &name)
{
    return lookupNaturalSize(name);
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
    // render them again; the set of pictures and sizes is small and fixed.
    static QHash<QString, QPixmap> rendered;
    const QString key = QStringLiteral("%1:%2x%3@%4").arg(name).arg(size.width()).arg(size.height()).arg(ratio);
    if (const auto it = rendered.constFind(key); it != rendered.constEnd())
        return *it;

    const QString path = resourcePath(name);
    QSvgRenderer renderer;
    if (!QFile::exists(path) || !renderer.load(path) || !renderer.isValid()) {
        qWarning("Pictures: no picture named \"%s\" (%s)", qPrintable(name), qPrintable(path));
        return missingPixmap(size, ratio);
    }
    if (!size.isValid() || size.isEmpty()) {
        qWarning("Pictures: invalid size %dx%d requested for \"%s\"", size.width(),
                 size.height(), qPrintable(name));
        return missingPixmap(renderer.defaultSize(), ratio);
    }

    QPixmap pm = blankPixmap(size, ratio);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm); // paints in device-independent pixels
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    rendered.insert(key, pm);
    return pm;
}

QIcon icon(const QString &name)
{
    QIcon result;
    for (const int side : {16, 24, 32, 48, 64, 128, 256})
        result.addPixmap(pixmap(name, QSize(side, side)));
    return result;
}

} // namespace Pictures
