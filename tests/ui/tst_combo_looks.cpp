// An enabled combo box looks enabled whether or not it has the focus: its
// text is not drawn in the greyed colour a disabled box shows.  Each box is
// rendered in the three states, in every style the desktop may bring, and
// its text colour read from the pixels.
#include "AppFixture.h"

#include <QApplication>
#include <QHash>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

namespace {

// The text colour of a rendered box: of the colours in its text area other
// than the most frequent one (the background), the one farthest from it.
QRgb textColour(QComboBox *box)
{
    const QImage image = box->grab().toImage();
    const QRect text(4, 2, image.width() / 2, image.height() - 4); // left of the arrow
    QHash<QRgb, int> counts;
    for (int y = text.top(); y <= text.bottom(); ++y)
        for (int x = text.left(); x <= text.right(); ++x)
            ++counts[image.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most)
            most = it.value(), background = it.key();
    const auto distance = [background](QRgb c) {
        return std::abs(qRed(c) - qRed(background)) + std::abs(qGreen(c) - qGreen(background))
            + std::abs(qBlue(c) - qBlue(background));
    };
    QRgb farthest = background;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (distance(it.key()) > distance(farthest))
            farthest = it.key();
    return farthest;
}

} // namespace

class ComboLooksTest : public QObject {
    Q_OBJECT
private slots:
    void enabledLooksEnabledWithoutFocus_data();
    void enabledLooksEnabledWithoutFocus();
};

void ComboLooksTest::enabledLooksEnabledWithoutFocus_data()
{
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("box");
    const char *const boxes[][3] = {{"main ID box", "Form1", "ComboBox1"},
                                    {"main port box", "Form1", "ComboBox2"},
                                    {"settings ID box", "SetForm", "ComboBox1"},
                                    {"settings jog time", "SetForm", "bsSkinComboBox1"},
                                    {"forced ID box", "IDSetForm", "ComboBox1"}};
    for (const QString &style : QStyleFactory::keys())
        for (const auto &b : boxes)
            QTest::addRow("%s, %s", qPrintable(style), b[0]) << style << b[1] << b[2];
}

void ComboLooksTest::enabledLooksEnabledWithoutFocus()
{
    QFETCH(QString, style);
    QFETCH(QString, window);
    QFETCH(QString, box);
    QApplication::setStyle(style);
    App a;
    a.main.idList()->setCurrentIndex(12);
    QWidget *shown = &a.main;
    if (window == QLatin1String("SetForm"))
        shown = &a.w.settingsWindow();
    else if (window == QLatin1String("IDSetForm"))
        shown = &a.w.forceIdWindow();
    shown->show();
    shown->setEnabled(true);
    auto *combo = shown->findChild<QComboBox *>(box);
    QVERIFY(combo);
    if (combo->currentText().isEmpty())
        combo->setCurrentIndex(combo->count() - 1);
    shown->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(shown));

    combo->setEnabled(true);
    combo->setFocus();
    QTRY_VERIFY(combo->hasFocus());
    const QRgb focused = textColour(combo);
    combo->clearFocus();
    QTRY_VERIFY(!combo->hasFocus());
    const QRgb unfocused = textColour(combo);
    combo->setEnabled(false);
    const QRgb disabled = textColour(combo);
    // With the focus a style may draw the text highlighted; without it the
    // text must still be the enabled one, never the greyed one.
    QVERIFY(focused != disabled);
    QVERIFY(unfocused != disabled);
}

QTEST_MAIN(ComboLooksTest)
#include "tst_combo_looks.moc"
