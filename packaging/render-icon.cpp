// render-icon SVG PNG SIZE: renders the program's icon into a square PNG of
// SIZE pixels for the icon theme, drawn from the vector source at that size so
// that the small sizes stay sharp.
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QTextStream err(stderr);
    const int size = argc == 4 ? QByteArray(argv[3]).toInt() : 0;
    if (size <= 0) {
        err << "usage: render-icon SVG PNG SIZE\n";
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        err << "render-icon: cannot read " << argv[1] << '\n';
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    svg.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        err << "render-icon: cannot write " << argv[2] << '\n';
        return 1;
    }
    return 0;
}
