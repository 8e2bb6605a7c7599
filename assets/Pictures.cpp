#include "Pictures.h"

#include <QColor>
#include <QFont>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QPixmapCache>
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

QPixmap missingPixmap(QSize size)
{
    if (!size.isValid() || size.isEmpty())
        size = QSize(32, 32);
    QPixmap pm(size);
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

QPixmap pixmap(const QString &name)
{
    return pixmap(name, naturalSize(name));
}

QPixmap pixmap(const QString &name, QSize size)
{
    const QString key = QStringLiteral("tavik-picture:%1:%2x%3")
                            .arg(name)
                            .arg(size.width())
                            .arg(size.height());
    QPixmap pm;
    if (QPixmapCache::find(key, &pm))
        return pm;

    const QString path = resourcePath(name);
    QSvgRenderer renderer;
    if (!QFile::exists(path) || !renderer.load(path) || !renderer.isValid()) {
        qWarning("Pictures: no picture named \"%s\" (%s)", qPrintable(name), qPrintable(path));
        return missingPixmap(size);
    }
    if (!size.isValid() || size.isEmpty()) {
        qWarning("Pictures: invalid size %dx%d requested for \"%s\"", size.width(),
                 size.height(), qPrintable(name));
        return missingPixmap(renderer.defaultSize());
    }

    pm = QPixmap(size);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    QPixmapCache::insert(key, pm);
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
