// Tavik: remote control and configuration tool for curtain motors on a
// serial line.
#include "LanguageTable.h"
#include "Pictures.h"
#include "StartupProbe.h"
#include "Version.h"
#include "Windows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QHelpEvent>
#include <QProxyStyle>
#include <QToolTip>

#include <cstdio>

namespace {

// Hints (tool tips) appear half a second after the pointer stops on a
// control, the next one as soon, and each hides half a second after it came.
constexpr int HintPauseMs = 500;

class HintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay || hint == SH_ToolTip_FallAsleepDelay)
            return HintPauseMs;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// A widget shows its own tool tip for ten seconds or more; this shows it for
// the hint pause instead.
class HintHidePause : public QObject {
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::ToolTip && watched->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(watched);
            if (!widget->toolTip().isEmpty()) {
                QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), widget->toolTip(), widget, {},
                                   HintPauseMs);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};
// What tavik's command line says: the English of its row.
QString say(AppText id)
{
    return englishText(id);
}

// A command line that cannot be followed: the reason and the usage on
// standard error, and exit code 2, before any window exists.
int usageError(const QCommandLineParser &options, const QString &reason)
{
    std::fputs(qPrintable(QStringLiteral("tavik: %1\n\n%2").arg(reason, options.helpText())), stderr);
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavik"));
    QApplication::setApplicationVersion(QStringLiteral(TAVIK_VERSION));
    QApplication::setWindowIcon(Pictures::icon(QStringLiteral("app_icon")));
    // Wayland desktops find the icon and name through the desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("tavik"));
    QApplication::setStyle(new HintStyle);
    HintHidePause hintHidePause;
    app.installEventFilter(&hintHidePause);

    QCommandLineParser options;
    options.setApplicationDescription(say(AppText::AppDescription));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"), say(AppText::AppOptPort), QStringLiteral("PATH"));
    options.addOption(port);
    const QCommandLineOption language(QStringLiteral("language"), say(AppText::AppOptLanguage), QStringLiteral("CODE"));
    options.addOption(language);
    if (!options.parse(QCoreApplication::arguments()))
        return usageError(options, options.errorText());
    if (options.isSet(QStringLiteral("help")) || options.isSet(QStringLiteral("help-all")))
        options.showHelp();
    if (options.isSet(QStringLiteral("version")))
        options.showVersion();
    if (!options.positionalArguments().isEmpty())
        return usageError(options, say(AppText::AppUnexpectedArgument).arg(options.positionalArguments().constFirst()));
    const std::optional<Language> startLanguage = options.isSet(language) ? languageFromCode(options.value(language))
                                                                          : Language::SimplifiedChinese;
    if (!startLanguage)
        return usageError(options, say(AppText::AppUnknownLanguage).arg(options.value(language)));

    Windows windows(options.values(port));
    // Another language is applied as its menu item applies it.
    if (*startLanguage != Language::SimplifiedChinese)
        windows.mainWindow.setLanguage(*startLanguage);
    watchFirstPaint(windows.mainWindow);
    windows.mainWindow.show();
    return app.exec();
}
