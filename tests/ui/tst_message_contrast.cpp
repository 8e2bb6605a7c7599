// Message boxes must be readable over every window, in every language and
// desktop theme: each box is rendered over each window as the program shows
// it, and its text's contrast against the box's background is measured from
// the pixels (WCAG contrast ratio, at least 4.5 : 1).
#include "Contrast.h"
#include "LanguageTable.h"
#include "Messages.h"
#include "Windows.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QtTest>

#include <cmath>
#include <memory>

namespace {

struct Reading {
    double ratio = 1; // the strongest text pixel against the background
    int textPixels = 0; // pixels that differ from the background at all
};

// The background is the colour most pixels of the area have; the text's
// colour is the one that stands out most from it (the glyphs' cores, not
// their smoothed edges).
Reading measure(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), background = it.key();
    Reading r;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.key() == background)
            continue;
        r.textPixels += it.value();
        r.ratio = std::max(r.ratio, contrast(it.key(), background));
    }
    return r;
}

QPalette themePalette(const QString &theme, const QPalette &standard)
{
    if (theme == QLatin1String("default"))
        return standard;
    const bool light = theme == QLatin1String("light");
    const QColor window = light ? QColor(250, 250, 250) : QColor(45, 45, 48);
    const QColor text = light ? QColor(20, 20, 20) : QColor(235, 235, 235);
    QPalette p(text, window, window.lighter(120), window.darker(150), window.darker(120), text,
               light ? Qt::white : QColor(30, 30, 30));
    p.setColor(QPalette::Base, light ? Qt::white : QColor(30, 30, 30));
    p.setColor(QPalette::Highlight, QColor(0, 120, 215));
    p.setColor(QPalette::HighlightedText, Qt::white);
    return p;
}

} // namespace

class MessageContrastTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_standard = QApplication::palette(); }
    void cleanup() { QApplication::setPalette(m_standard); }
    void readableOverEveryWindow_data();
    void readableOverEveryWindow();

private:
    QPalette m_standard;
};

void MessageContrastTest::readableOverEveryWindow_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("theme");
    for (const char *theme : {"default", "light", "dark"})
        for (const char *window : {"Form1", "Form2", "SetForm", "IDSetForm", "Form3"})
            QTest::addRow("%s %s", window, theme) << window << theme;
}

void MessageContrastTest::readableOverEveryWindow()
{
    QFETCH(QString, window);
    QFETCH(QString, theme);
    QApplication::setPalette(themePalette(theme, m_standard));
    Windows w;
    w.mainWindow.show();
    QWidget *parent = &w.mainWindow;
    // A secondary window is opened as the program opens it; the box comes
    // over it, as over the active window.
    for (ChildWindow *child : std::initializer_list<ChildWindow *> {&w.manualWindow(), &w.settingsWindow(),
                                                                    &w.forceIdWindow(), &w.lineRateWindow()}) {
        if (child->objectName() == window) {
            child->open();
            parent = child;
        }
    }
    QCOMPARE(parent->objectName(), window);
    QVERIFY(QTest::qWaitForWindowExposed(parent));

    const struct {
        const char *text;
        Messages::Kind kind;
    } messages[] = {
        {"MsgSetSuccess", Messages::Kind::Information},
        {"MsgSetFailure", Messages::Kind::Information},
        {"MsgSelectPort", Messages::Kind::Information},
        {"MsgPortLost", Messages::Kind::Error},
    };
    for (Language lang : {Language::SimplifiedChinese, Language::English, Language::TraditionalChinese}) {
        for (const auto &m : messages) {
            const QString text = ::text(m.text, lang);
            QVERIFY2(!text.isEmpty(), m.text);
            const std::unique_ptr<QMessageBox> box(Messages::createBox(text, m.kind, parent));
            box->show();
            QVERIFY(QTest::qWaitForWindowExposed(box.get()));
            QCOMPARE(box->text(), text); // the text itself stays as it is
            auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
            QVERIFY(label);
            const QImage image = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
            const qreal scale = image.width() / qreal(box->width());
            const QRect area(label->mapTo(box.get(), QPoint(0, 0)) * scale, label->size() * scale);
            const Reading r = measure(image, area & image.rect());
            const QByteArray where = QStringLiteral("%1: %2 : 1 over %3 text pixels")
                                         .arg(text.trimmed())
                                         .arg(r.ratio, 0, 'f', 2)
                                         .arg(r.textPixels)
                                         .toUtf8();
            QVERIFY2(r.textPixels > 20, where.constData()); // something was drawn at all
            QVERIFY2(r.ratio >= 4.5, where.constData());
        }
    }
}

QTEST_MAIN(MessageContrastTest)
#include "tst_message_contrast.moc"
