// Every picture of the main window and both manual pages exist, render at
// their declared size and are not empty.
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QResource>
#include <QSvgRenderer>
#include <QtTest>

#include "Pictures.h"
#include "VectorDrawing.h"

namespace {

struct Expected {
    const char *name;
    int width;
    int height;
};

const Expected kPictures[] = {
    {"background", 616, 538},    {"panel_channels", 250, 200}, {"panel_limits", 250, 120},   {"area_hover", 190, 50},
    {"fullrange_idle", 210, 30}, {"fullrange_hover", 210, 30}, {"learn_idle", 75, 30},       {"learn_hover", 75, 30},
    {"delete_idle", 75, 30},     {"delete_hover", 75, 30},     {"up_idle", 70, 70},          {"up_hover", 70, 70},
    {"stop_idle", 70, 47},       {"stop_hover", 70, 47},       {"down_idle", 70, 70},        {"down_hover", 70, 70},
    {"channel_idle", 28, 20},    {"channel_hover", 28, 20},    {"channel_selected", 28, 20}, {"limit_idle", 38, 30},
    {"limit_hover", 38, 30},     {"limit_selected", 38, 30},   {"slider_track", 200, 38},    {"slider_bar", 210, 4},
    {"slider_pointer", 15, 17},  {"app_icon", 64, 64},         {"manual_cn", 610, 400},      {"manual_en", 610, 400},
};

// The picture drawn here from its vector source, as the build draws it.
QImage fromVector(const QString &name, int scale)
{
    QSvgRenderer svg(Pictures::vectorPath(name));
    return drawVector(svg, scale);
}

// Pixels whose colour or alpha differ by more than a rounding step.
int differentPixels(const QImage &a, const QImage &b)
{
    const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
    int n = 0;
    for (int r = 0; r < x.height(); ++r)
        for (int c = 0; c < x.width(); ++c) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            n += std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)),
                           std::abs(qAlpha(p) - qAlpha(q))})
                > 2;
        }
    return n;
}

int opaquePixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    return n;
}

} // namespace

class PicturesTest : public QObject {
    Q_OBJECT

private slots:
    void rendersAtDeclaredSize_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        for (const Expected &e : kPictures)
            QTest::newRow(e.name) << QString::fromLatin1(e.name) << QSize(e.width, e.height);
    }

    void rendersAtDeclaredSize()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QVERIFY2(QFile::exists(Pictures::resourcePath(name)), qPrintable(name));
        QCOMPARE(Pictures::naturalSize(name), size);
        const QPixmap pm = Pictures::pixmap(name);
        QCOMPARE(pm.size(), size);
        const QImage image = pm.toImage().convertToFormat(QImage::Format_ARGB32);
        // At least a tenth of the area is drawn (the slider track is mostly
        // transparent by design; everything else is far above this).
        QVERIFY2(opaquePixels(image) * 10 >= size.width() * size.height(), qPrintable(name));
    }

    // The pictures made at build time for 100 % and 200 % are the vector
    // sources drawn at those sizes: not stale, not cut, colours and alpha in
    // their places.
    void rastersMatchTheirVectorSource_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("ratio");
        for (const Expected &e : kPictures)
            for (const int scale : {1, 2})
                QTest::addRow("%s@%dx", e.name, scale) << QString::fromLatin1(e.name) << qreal(scale);
    }

    void rastersMatchTheirVectorSource()
    {
        QFETCH(QString, name);
        QFETCH(qreal, ratio);
        const QImage shown = Pictures::pixmap(name, ratio).toImage();
        const QImage drawn = fromVector(name, int(ratio));
        QCOMPARE(shown.size(), drawn.size());
        QCOMPARE(differentPixels(shown, drawn), 0);
    }

    // At 100 % a picture is shown from the bytes bundled in the program: no
    // decoding, no copy on the heap.
    void onePictureAtFullSizeIsNotCopied_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"background", "up_idle", "channel_selected"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void onePictureAtFullSizeIsNotCopied()
    {
        QFETCH(QString, name);
        const QResource bundled(Pictures::resourcePath(name));
        const QImage shown = Pictures::pixmap(name, 1.0).toImage();
        const auto *first = shown.constBits(), *begin = bundled.data();
        QVERIFY(first > begin && first < begin + bundled.size());
    }

    // Beyond 200 % the vector source is drawn again, not the 2x raster blown up.
    void drawsTheVectorSourceBeyondTwice()
    {
        if (!QImageReader::supportedImageFormats().contains("svg"))
            QSKIP("Qt's SVG image plugin is not installed");
        const QString name = QStringLiteral("up_idle");
        const QPixmap pm = Pictures::pixmap(name, 3.0);
        QCOMPARE(pm.size(), QSize(210, 210));
        const QImage blown = Pictures::pixmap(name, 2.0).toImage().scaled(pm.size(), Qt::IgnoreAspectRatio,
                                                                          Qt::SmoothTransformation);
        QVERIFY(differentPixels(pm.toImage(), blown) * 20 > 210 * 210);
    }

    void scalesToRequestedSize()
    {
        QCOMPARE(Pictures::pixmap(QStringLiteral("slider_bar"), QSize(57, 4)).size(), QSize(57, 4));
        QCOMPARE(Pictures::pixmap(QStringLiteral("up_idle"), QSize(140, 140)).size(), QSize(140, 140));
    }

    // At 150 % and 200 % a picture is made for the screen's pixels, once,
    // from the picture drawn for 200 %: not a 1x bitmap scaled up.
    void rendersForTheDevicePixelRatio()
    {
        const QString name = QStringLiteral("up_idle");
        for (qreal ratio : {1.5, 2.0}) {
            const QPixmap pm = Pictures::pixmap(name, ratio);
            QCOMPARE(pm.devicePixelRatio(), ratio);
            QCOMPARE(pm.size(), (QSizeF(70, 70) * ratio).toSize());
            QCOMPARE(pm.deviceIndependentSize(), QSizeF(70, 70));
            QCOMPARE(Pictures::pixmap(name, ratio).cacheKey(), pm.cacheKey());
        }
        const QImage sharp = Pictures::pixmap(name, 2.0).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage blown =
            Pictures::pixmap(name, 1.0).toImage().scaled(sharp.size()).convertToFormat(QImage::Format_ARGB32);
        int differing = 0;
        for (int y = 0; y < sharp.height(); ++y)
            for (int x = 0; x < sharp.width(); ++x)
                differing += sharp.pixel(x, y) != blown.pixel(x, y);
        QVERIFY2(differing * 20 > sharp.width() * sharp.height(), qPrintable(QString::number(differing)));
    }

    void missingNameGivesMagentaPixmap()
    {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("no picture named \"no_such_picture\""));
        const QImage image = Pictures::pixmap(QStringLiteral("no_such_picture")).toImage();
        QVERIFY(!image.isNull());
        QCOMPARE(QColor(image.pixel(image.width() / 2, 1)), QColor(255, 0, 255));
        QVERIFY(!Pictures::naturalSize(QStringLiteral("no_such_picture")).isValid());
    }
};

QTEST_MAIN(PicturesTest)
#include "tst_pictures.moc"
