// The panel's hit labels take the focus; a QLabel that takes the focus keeps
// a whole text document for its text, so a hit label draws its digits itself.
// They must look as the label would draw them (same pixels, enabled and
// greyed, on odd and even heights), and the main window holds no text
// document once drawn.
#include "AppFixture.h"
#include "PanelItem.h"

#include <QLabel>
#include <QTextDocument>
#include <QtTest>

namespace {

// The item and a focus-taking label of the same text, font, colour and size,
// drawn on the same background.
QImage drawn(QWidget &w)
{
    QImage image(w.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(20, 32, 58));
    w.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

} // namespace

class HitLabelTextTest : public QObject {
    Q_OBJECT
private slots:
    void drawnAsTheLabelWouldDrawIt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QColor>("colour");
        const struct {
            const char *tag, *text;
            QSize size;
        } cells[] = {
            {"channel 3", "  3  ", {25, 16}},
            {"channel 12", " 12 ", {25, 16}},
            {"limit point 2", "  2  ", {37, 29}},
        };
        for (const auto &c : cells)
            for (const bool enabled : {true, false})
                for (const QColor &colour : {QColor(Qt::white), QColor(180, 180, 180)})
                    QTest::addRow("%s, %s, %s", c.tag, enabled ? "enabled" : "greyed", qPrintable(colour.name()))
                        << QString::fromLatin1(c.text) << c.size << enabled << colour;
    }

    void drawnAsTheLabelWouldDrawIt()
    {
        QFETCH(QString, text);
        QFETCH(QSize, size);
        QFETCH(bool, enabled);
        QFETCH(QColor, colour);
        QFont font = QApplication::font();
        font.setPointSize(9);
        font.setBold(true);

        PanelItem item(PanelItem::Role::HitLabel, QStringLiteral("item"), nullptr);
        QLabel label;
        label.setFocusPolicy(Qt::StrongFocus); // as a hit label: QLabel lays the text out in a document
        for (QLabel *l : {static_cast<QLabel *>(&item), &label}) {
            l->setFont(font);
            l->setAlignment(Qt::AlignCenter);
            l->setAttribute(Qt::WA_TranslucentBackground);
            l->resize(size);
            l->setEnabled(enabled);
        }
        item.setCaption(text);
        item.setTextColour(colour);
        label.setText(text);
        QPalette p = label.palette();
        p.setColor(QPalette::WindowText, colour);
        label.setPalette(p);
        QVERIFY(label.findChild<QTextDocument *>());
        QVERIFY(!item.findChild<QTextDocument *>());

        const QImage mine = drawn(item);
        QCOMPARE(mine, drawn(label));
        QLabel empty;
        empty.resize(size);
        QVERIFY(mine != drawn(empty)); // the digits are there
    }

    void theMainWindowKeepsNoTextDocument()
    {
        App a;
        QVERIFY(QTest::qWaitForWindowExposed(&a.main));
        QCOMPARE(a.item("Label_ch1")->focusPolicy(), Qt::StrongFocus);
        QCOMPARE(a.main.findChildren<QTextDocument *>().size(), 0);
    }
};

QTEST_MAIN(HitLabelTextTest)
#include "tst_hit_label_text.moc"
