// What a screen reader finds, asked through Qt's accessibility interface as
// the platform bridge asks it: every picture control a user presses has a
// name and a description in the current language, the secondary windows and
// the message boxes are announced by their titles, and a pressed control acts.
#include "AppFixture.h"
#include "LanguageTable.h"

#include <QAccessible>
#include <QMessageBox>
#include <QSet>

namespace {

// The controls a user acts on: channels, all channels, learn, delete, up,
// stop, down, the limit points, and the slider's track, bar and pointer.
QStringList actedOn()
{
    QStringList names;
    for (int n = 1; n <= 16; ++n)
        names << QStringLiteral("Label_ch%1").arg(n);
    names << QStringLiteral("Label_quan_ping") << QStringLiteral("Label_dui_ma") << QStringLiteral("Label_shan_ma")
          << QStringLiteral("Label_shang") << QStringLiteral("Label_ting") << QStringLiteral("Label_xia");
    for (int n = 1; n <= 4; ++n)
        names << QStringLiteral("Label_XWD%1").arg(n);
    return names << QStringLiteral("Image_Place") << QStringLiteral("Image_Place_en")
                 << QStringLiteral("Image_Place_zhi_zhen");
}

// The table's value of a main-window row.
QString tableValue(const QString &objectName, Property property, Language lang)
{
    for (const LanguageRow &row : languageRows())
        if (row.window == Window::Main && row.property == property)
            for (const RowTarget &to : row.targets(row.value(lang)))
                if (to.objectName == objectName)
                    return to.value;
    return {};
}

QString windowTitle(Window window, Language lang)
{
    for (const LanguageRow &row : languageRows())
        if (row.window == window && row.property == Property::Caption && !*row.objectName)
            return QString::fromUtf8(row.value(lang));
    return {};
}

QAccessibleInterface *accessible(QObject *object)
{
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(object);
    if (!iface)
        qFatal("no accessible interface for %s", qPrintable(object->objectName()));
    return iface;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void namesFollowTheLanguage_data()
    {
        QTest::addColumn<QList<int>>("menuChoices"); // languages chosen from the menu, in order
        QTest::addColumn<Language>("lang");
        QTest::newRow("at start") << QList<int> {} << Language::SimplifiedChinese;
        QTest::newRow("english") << QList<int> {int(Language::English)} << Language::English;
        QTest::newRow("traditional") << QList<int> {int(Language::TraditionalChinese)} << Language::TraditionalChinese;
        QTest::newRow("english, then simplified")
            << QList<int> {int(Language::English), int(Language::SimplifiedChinese)} << Language::SimplifiedChinese;
    }

    void namesFollowTheLanguage()
    {
        QFETCH(QList<int>, menuChoices);
        QFETCH(Language, lang);
        App a;
        for (int choice : menuChoices) {
            a.main.setLanguage(Language(choice));
        }

        QSet<QString> names;
        for (const QString &name : actedOn()) {
            QAccessibleInterface *iface = accessible(a.item(qPrintable(name)));
            const QString said = iface->text(QAccessible::Name);
            QVERIFY2(!said.trimmed().isEmpty(), qPrintable(name));
            QCOMPARE(said, tableValue(name, Property::AccessibleName, lang));
            QVERIFY2(!iface->text(QAccessible::Description).isEmpty(), qPrintable(name));
            QCOMPARE(iface->text(QAccessible::Description), tableValue(name, Property::AccessibleDescription, lang));
            names.insert(said);
        }
        QCOMPARE(names.size(), actedOn().size()); // no two controls sound alike
        if (lang == Language::English)
            QCOMPARE(accessible(a.item("Label_ch12"))->text(QAccessible::Name), QStringLiteral("Channel 12"));
        // The hit labels are buttons that can be pressed; the slider's parts are pictures.
        QCOMPARE(accessible(a.item("Label_ch1"))->role(), QAccessible::Button);
        QCOMPARE(accessible(a.item("Label_XWD4"))->role(), QAccessible::Button);
        QVERIFY(accessible(a.item("Label_xia"))->actionInterface());

        // Secondary windows: dialogs announced by their titles, in the same language.
        const std::pair<QWidget *, Window> windows[] = {{&a.w.manualWindow(), Window::Manual},
                                                        {&a.w.settingsWindow(), Window::Settings},
                                                        {&a.w.forceIdWindow(), Window::IdSet}};
        for (const auto &[window, which] : windows) {
            QAccessibleInterface *iface = accessible(window);
            QCOMPARE(iface->role(), QAccessible::Dialog);
            QCOMPARE(iface->text(QAccessible::Name).trimmed(), windowTitle(which, lang).trimmed());
        }
        QCOMPARE(accessible(&a.w.lineRateWindow())->role(), QAccessible::Dialog);
        QCOMPARE(accessible(&a.w.lineRateWindow())->text(QAccessible::Name), QStringLiteral("串口设置"));
        QCOMPARE(accessible(&a.main)->text(QAccessible::Name), QStringLiteral("Tavik"));

        // A message box: its title, then the message in the current language.
        const auto box = Messages::createBox(a.texts[Message::SelectPort], Messages::Kind::Information, &a.main);
        QAccessibleInterface *iface = accessible(box.get());
        QCOMPARE(iface->role(), QAccessible::AlertMessage);
        QCOMPARE(iface->text(QAccessible::Name), QCoreApplication::applicationName());
        QCOMPARE(iface->text(QAccessible::Value), text("MsgSelectPort", lang));
    }

    // Pressing through the accessibility interface is a click: channel 3 is
    // selected for the chosen ID, and down without a port says why it cannot.
    void pressActsLikeAClick()
    {
        App a;
        a.main.idList()->setCurrentIndex(5);
        QCOMPARE(a.link.target().id, 5);
        const auto mask = [&a] { return a.link.target().channels.word(); };
        QCOMPARE(mask(), quint16(0x0001));
        QAccessibleActionInterface *channel3 = accessible(a.item("Label_ch3"))->actionInterface();
        channel3->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(mask(), quint16(0x0005));
        channel3->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(mask(), quint16(0x0001));

        accessible(a.item("Label_xia"))->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(a.messages.texts(), QStringList {a.texts[Message::SelectPort]});
        QVERIFY(!a.link.outgoing());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
