// How the build draws a picture from its SVG source: at `scale` times its
// declared size, antialiased, on a transparent ground.  The pictures test
// draws with it too, to check that the program holds what the build drew.
#pragma once

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

inline QImage drawVector(QSvgRenderer &svg, int scale)
{
    QImage image(svg.defaultSize() * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform | QPainter::TextAntialiasing);
    svg.render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())));
    return image;
}
