// render-pictures SVG OUT: draws one picture from its vector source into
// OUT.argb (its declared size, the pixels as the program shows them, see
// RawPicture.h) and OUT@2x.png (twice that size), so the program neither
// parses SVG nor decodes anything for the usual 100 % screen while it starts.
// Runs at build time on the offscreen platform: the manual pages' text needs
// the font database of a QGuiApplication.
#include "RawPicture.h"
#include "VectorDrawing.h"

#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QSvgRenderer>
#include <QTextStream>

namespace {

bool writeRaw(QImage image, const QString &file)
{
    // An opaque picture is kept without alpha, the format a pixmap of it has:
    // the program can then show these very bytes.
    bool opaque = true;
    for (int y = 0; y < image.height() && opaque; ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width() && opaque; ++x)
            opaque = qAlpha(row[x]) == 255;
    }
    if (opaque)
        image = image.convertToFormat(QImage::Format_RGB32);
    const RawPicture::Header header {RawPicture::Magic, quint32(image.width()), quint32(image.height()),
                                     quint32(image.format())};
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    bool ok = out.write(reinterpret_cast<const char *>(&header), sizeof header) == sizeof header;
    for (int y = 0; y < image.height() && ok; ++y)
        ok = out.write(reinterpret_cast<const char *>(image.constScanLine(y)), image.width() * 4) == image.width() * 4;
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 3) {
        err << "usage: render-pictures SVG OUT\n";
        return 2;
    }
    // The manual pages name a CSS-style font list; Qt's SVG renderer takes the
    // whole attribute as one family name, so map that name onto its members.
    QFont::insertSubstitutions(
        QStringLiteral("Noto Sans CJK SC, Noto Sans, sans-serif"),
        {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Sans"), QStringLiteral("sans-serif")});
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        err << "render-pictures: cannot read " << argv[1] << '\n';
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[2]);
    if (!writeRaw(drawVector(svg, 1), out + QStringLiteral(".argb"))) {
        err << "render-pictures: cannot write " << out << ".argb\n";
        return 1;
    }
    if (!drawVector(svg, 2).save(out + QStringLiteral("@2x.png"), "PNG")) {
        err << "render-pictures: cannot write " << out << "@2x.png\n";
        return 1;
    }
    return 0;
}
