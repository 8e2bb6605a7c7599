// Guards the layout of the secondary windows in every language: every
// caption fits its control, every control lies within its parent without
// covering a neighbour, and the settings window's tabs wrap into rows
// instead of scrolling.
#include "LanguageTable.h"
#include "MultiRowTabBar.h"
#include "Windows.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

namespace {

const struct {
    Language language;
    const char *tag;
} Languages[] = {
    {Language::SimplifiedChinese, "zh_CN"},
    {Language::English, "en"},
    {Language::TraditionalChinese, "zh_TW"},
};

// Room a group box needs around its title: the title's offset and padding on
// the left and as much again on the right.
constexpr int GroupTitleRoom = 22;

QString where(const QWidget *w)
{
    QStringList path;
    for (const QWidget *p = w; p; p = p->parentWidget())
        path.prepend(p->objectName().isEmpty() ? QString::fromLatin1(p->metaObject()->className()) : p->objectName());
    return path.join(QLatin1Char('/'));
}

// The widgets that belong to the window's own design, not to a control's
// insides (a combo box's line edit, a tab bar's buttons) nor to pop-ups.
bool designed(const QWidget *w, const QWidget *window)
{
    for (const QWidget *p = w; p != window; p = p->parentWidget()) {
        if (!p || p->isWindow())
            return false;
        const QWidget *parent = p->parentWidget();
        if (qobject_cast<const QTabBar *>(parent) || qobject_cast<const QComboBox *>(parent)
            || qobject_cast<const QAbstractSpinBox *>(parent) || qobject_cast<const QAbstractScrollArea *>(parent))
            return false;
    }
    return true;
}

} // namespace

class SettingsLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void captionsFitTheirControls_data();
    void captionsFitTheirControls();
    void controlsLieWithinTheirParents_data() { captionsFitTheirControls_data(); }
    void controlsLieWithinTheirParents();
    void settingsTabsWrapIntoRows_data() { captionsFitTheirControls_data(); }
    void settingsTabsWrapIntoRows();
    void tabBarFollowsCaptionsAndClicks();

private:
    void apply(Language language);
    QList<QWidget *> secondaryWindows() const;

    std::unique_ptr<Windows> w;
};

void SettingsLayoutTest::initTestCase()
{
    w = std::make_unique<Windows>();
    w->mainWindow.show();
}

void SettingsLayoutTest::apply(Language language)
{
    const QStringList missing = applyLanguage(
        {&w->mainWindow, &w->manualWindow(), &w->settingsWindow(), &w->forceIdWindow(), &w->texts, &w->busMonitor()},
        language);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
    // Shown, so that the style sheet is applied and the tab widget laid out.
    for (QWidget *window : secondaryWindows())
        window->show();
    QCoreApplication::processEvents();
}

QList<QWidget *> SettingsLayoutTest::secondaryWindows() const
{
    return {&w->settingsWindow(), &w->forceIdWindow(), &w->lineRateWindow(), &w->manualWindow(), &w->busMonitor()};
}

void SettingsLayoutTest::captionsFitTheirControls_data()
{
    QTest::addColumn<Language>("language");
    for (const auto &l : Languages)
        QTest::newRow(l.tag) << l.language;
}

void SettingsLayoutTest::captionsFitTheirControls()
{
    QFETCH(Language, language);
    apply(language);
    int checkedCaptions = 0;
    QStringList clipped;
    auto report = [&clipped](const QWidget *w, const QString &text, int needed, int has) {
        clipped << QStringLiteral("%1 \"%2\": needs %3, has %4").arg(where(w), text).arg(needed).arg(has);
    };
    for (QWidget *window : secondaryWindows()) {
        for (QLabel *label : window->findChildren<QLabel *>()) {
            if (label->text().isEmpty() || !designed(label, window))
                continue;
            label->ensurePolished();
            ++checkedCaptions;
            if (label->sizeHint().width() > label->width())
                report(label, label->text(), label->sizeHint().width(), label->width());
        }
        for (QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
            if (button->text().isEmpty() || !designed(button, window))
                continue;
            button->ensurePolished();
            ++checkedCaptions;
            // Radio boxes and buttons alike: the style's size for the caption.
            const int needed = button->sizeHint().width();
            const int text = button->fontMetrics().horizontalAdvance(button->text());
            if (needed > button->width() || text >= button->width())
                report(button, button->text(), std::max(needed, text + 1), button->width());
        }
        for (QGroupBox *box : window->findChildren<QGroupBox *>()) {
            if (box->title().isEmpty())
                continue;
            box->ensurePolished();
            ++checkedCaptions;
            const int needed = box->fontMetrics().horizontalAdvance(box->title()) + GroupTitleRoom;
            if (needed > box->width())
                report(box, box->title(), needed, box->width());
        }
    }
    QVERIFY(checkedCaptions > 80);
    for (const QString &line : clipped)
        qWarning("clipped: %s", qPrintable(line));
    QVERIFY2(clipped.isEmpty(), "clipped captions (see the warnings)");
}

void SettingsLayoutTest::controlsLieWithinTheirParents()
{
    QFETCH(Language, language);
    apply(language);
    // A tab page gets its size when it is first brought to the front.
    auto *pages = w->settingsWindow().findChild<QTabWidget *>(QStringLiteral("bsSkinPageControl1"));
    for (int i = pages->count() - 1; i >= 0; --i) {
        pages->setCurrentIndex(i);
        QCoreApplication::processEvents();
    }
    QStringList outside;
    for (QWidget *window : secondaryWindows()) {
        for (QWidget *child : window->findChildren<QWidget *>()) {
            // The manual's pages are 610 x 400 in a client area 397 high.
            if (!designed(child, window) || child->objectName().startsWith(QLatin1String("Image_")))
                continue;
            const QWidget *parent = child->parentWidget();
            if (!parent->rect().contains(child->geometry()))
                outside << QStringLiteral("%1 at %2,%3 %4x%5 leaves its parent (%6x%7)")
                               .arg(where(child))
                               .arg(child->x())
                               .arg(child->y())
                               .arg(child->width())
                               .arg(child->height())
                               .arg(parent->width())
                               .arg(parent->height());
        }
        // Buttons and radio boxes side by side must not cover each other's
        // captions; neighbouring channel buttons share their 1-pixel border.
        for (QAbstractButton *a : window->findChildren<QAbstractButton *>()) {
            if (!designed(a, window))
                continue;
            for (QAbstractButton *b : a->parentWidget()->findChildren<QAbstractButton *>(Qt::FindDirectChildrenOnly)) {
                const QRect both = a->geometry() & b->geometry();
                if (a < b && both.width() > 1 && both.height() > 1)
                    outside << QStringLiteral("%1 overlaps %2").arg(where(a), where(b));
            }
        }
    }
    for (const QString &line : outside)
        qWarning("outside: %s", qPrintable(line));
    QVERIFY2(outside.isEmpty(), "controls outside their parents (see the warnings)");
}

void SettingsLayoutTest::settingsTabsWrapIntoRows()
{
    QFETCH(Language, language);
    apply(language);
    auto *pages = w->settingsWindow().findChild<QTabWidget *>(QStringLiteral("bsSkinPageControl1"));
    QVERIFY(pages);
    auto *bar = qobject_cast<MultiRowTabBar *>(pages->tabBar());
    QVERIFY2(bar, "the settings window's page control has no multi-row tab bar");
    QCOMPARE(pages->geometry(), QRect(16, 18, 577, 359));

    QVERIFY(!bar->usesScrollButtons());
    for (QToolButton *arrow : bar->findChildren<QToolButton *>())
        QVERIFY2(!arrow->isVisible(), "the tab bar shows a scroll arrow");
    QVERIFY(pages->rect().contains(bar->geometry()));

    const int rows = bar->rowCount();
    if (language == Language::English)
        QVERIFY(rows >= 2);
    else
        QCOMPARE(rows, 1); // the Chinese captions are short enough for one row

    QRect all;
    for (int i = 0; i < bar->count(); ++i) {
        const QRect tab = bar->rowTabRect(i);
        all |= tab;
        QVERIFY2(bar->rect().contains(tab), qPrintable(bar->tabText(i)));
        const int text = bar->fontMetrics().horizontalAdvance(bar->tabText(i));
        QVERIFY2(text + 12 <= tab.width(), qPrintable(bar->tabText(i)));
    }
    QCOMPARE(all.height(), bar->height()); // the bar is exactly as high as its rows
    // The page lies below the rows, and the current tab's row next to it.
    QVERIFY(pages->currentWidget()->mapTo(pages, QPoint(0, 0)).y() >= bar->geometry().bottom());
    QCOMPARE(bar->rowTabRect(bar->currentIndex()).bottom(), bar->rect().bottom());
}

void SettingsLayoutTest::tabBarFollowsCaptionsAndClicks()
{
    apply(Language::SimplifiedChinese);
    auto *pages = w->settingsWindow().findChild<QTabWidget *>(QStringLiteral("bsSkinPageControl1"));
    auto *bar = qobject_cast<MultiRowTabBar *>(pages->tabBar());
    QVERIFY(bar);
    const int oneRow = bar->height();

    // The language switch changes the captions with setTabText; the bar
    // grows to its rows.
    apply(Language::English);
    QTRY_VERIFY(bar->height() >= 2 * oneRow);
    const int pageTop = pages->currentWidget()->mapTo(pages, QPoint(0, 0)).y();
    QVERIFY(pageTop >= bar->geometry().bottom());

    // A click on a tab of the upper row (the window takes clicks while open) opens that tab, whose row then moves
    // down next to the page.
    w->settingsWindow().openAfterScan();
    pages->setCurrentIndex(0);
    int upper = -1;
    for (int i = 0; i < bar->count() && upper < 0; ++i)
        if (bar->rowTabRect(i).top() == 0)
            upper = i;
    QVERIFY(upper > 0);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->rowTabRect(upper).center());
    QCOMPARE(pages->currentIndex(), upper);
    QCOMPARE(bar->rowTabRect(upper).bottom(), bar->rect().bottom());
    QCOMPARE(bar->rowTabAt(bar->rowTabRect(upper).center()), upper);

    // Keys still switch tabs.
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    QCOMPARE(pages->currentIndex(), upper + 1);
    QTest::keyClick(bar, Qt::Key_Left);
    QCOMPARE(pages->currentIndex(), upper);

    // Back to Chinese: one row again.
    apply(Language::SimplifiedChinese);
    QTRY_COMPARE(bar->height(), oneRow);
    QCOMPARE(bar->rowCount(), 1);
    pages->setCurrentIndex(0);
    w->settingsWindow().returnToMainWindow();
}

QTEST_MAIN(SettingsLayoutTest)
#include "tst_settings_layout.moc"
