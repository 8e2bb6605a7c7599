#include "Pictures.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QSvgRenderer>
#include <QtGlobal>

#include <memory>

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

// Each picture is parsed once, on first use, and kept: its natural size and
// every render at another size or ratio come from the same document.
// nullptr for a name with no valid picture.
QSvgRenderer *document(const QString &name)
{
    static QHash<QString, std::shared_ptr<QSvgRenderer>> parsed;
    auto it = parsed.find(name);
    if (it == parsed.end()) {
        auto renderer = std::make_shared<QSvgRenderer>(resourcePath(name));
        it = parsed.insert(name, renderer->isValid() ? renderer : nullptr);
    }
    return it->get();
}

} // namespace

QString resourcePath(const QString &name)
{
    tavikInitPictureResources();
    return QStringLiteral(":/pictures/") + name;
}

QSize naturalSize(const QString &name)
{
    QSvgRenderer *doc = document(name);
    return doc ? doc->defaultSize() : QSize();
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

    QSvgRenderer *doc = document(name);
    if (!doc) {
        qWarning("Pictures: no picture named \"%s\" (%s)", qPrintable(name), qPrintable(resourcePath(name)));
        return missingPixmap(size, ratio);
    }
    if (!size.isValid() || size.isEmpty()) {
        qWarning("Pictures: invalid size %dx%d requested for \"%s\"", size.width(),
                 size.height(), qPrintable(name));
        return missingPixmap(doc->defaultSize(), ratio);
    }

    QPixmap pm = blankPixmap(size, ratio);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm); // paints in device-independent pixels
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        doc->render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
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
