// Tavik: remote control and configuration tool for curtain motors on a
// serial line.
#include "FittedProgram.h"
#include "LanguageTable.h"
#include "Pictures.h"
#include "StartupProbe.h"
#include "TerminationSignals.h"
#include "Version.h"
#include "Windows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QHelpEvent>
#include <QProxyStyle>
#include <QToolTip>

#include <cstdio>
#include <cstring>
#include <optional>

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

struct CommandLine {
    QCommandLineParser options;
    const QCommandLineOption port {QStringLiteral("port"), say(AppText::AppOptPort), QStringLiteral("PATH")};
    const QCommandLineOption open {QStringLiteral("open"), say(AppText::AppOptOpen), QStringLiteral("PATH")};
    const QCommandLineOption language {QStringLiteral("language"), say(AppText::AppOptLanguage),
                                       QStringLiteral("CODE")};
    std::optional<Language> startLanguage;

    CommandLine()
    {
        options.setApplicationDescription(say(AppText::AppDescription));
        options.addHelpOption();
        options.addVersionOption();
        for (const QCommandLineOption *option : {&port, &open, &language})
            options.addOption(*option);
    }

    // Help and version are printed here (and the program ends); an exit code
    // when the window must not start.
    std::optional<int> read()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Tavik"));
        QCoreApplication::setApplicationVersion(QStringLiteral(TAVIK_VERSION));
        if (!options.parse(QCoreApplication::arguments()))
            return usageError(options, options.errorText());
        if (options.isSet(QStringLiteral("help")) || options.isSet(QStringLiteral("help-all")))
            options.showHelp();
        if (options.isSet(QStringLiteral("version")))
            options.showVersion();
        if (!options.positionalArguments().isEmpty())
            return usageError(options,
                              say(AppText::AppUnexpectedArgument).arg(options.positionalArguments().constFirst()));
        startLanguage = options.isSet(language) ? languageFromCode(options.value(language))
                                                : Language::SimplifiedChinese;
        if (!startLanguage)
            return usageError(options, say(AppText::AppUnknownLanguage).arg(options.value(language)));
        return std::nullopt;
    }
};

// Help and version need no display: asked for, they are answered before a
// window system is opened.
bool asksHelpOrVersion(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i)
        for (const char *option : {"-h", "-?", "--help", "--help-all", "-v", "--version"})
            if (std::strcmp(argv[i], option) == 0)
                return true;
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    if (asksHelpOrVersion(argc, argv)) {
        QCoreApplication core(argc, argv);
        CommandLine commandLine;
        return commandLine.read().value_or(0);
    }
    FittedProgram program(argc, argv);
    CommandLine commandLine;
    if (const std::optional<int> exitCode = commandLine.read())
        return *exitCode;
    HintHidePause hintHidePause;
    const QStringList opened = commandLine.options.values(commandLine.open);
    Windows &windows = program.start([&] {
        QApplication::setWindowIcon(Pictures::icon(QStringLiteral("app_icon")));
        // Wayland desktops find the icon and name through the desktop entry.
        QGuiApplication::setDesktopFileName(QStringLiteral("tavik"));
        QApplication::setStyle(new HintStyle);
        qApp->installEventFilter(&hintHidePause);
        auto built = std::make_unique<Windows>(commandLine.options.values(commandLine.port) + opened);
        // Another language is applied as its menu item applies it.
        if (*commandLine.startLanguage != Language::SimplifiedChinese)
            built->mainWindow.setLanguage(*commandLine.startLanguage);
        return built;
    });
    TerminationSignals closeOnSignal(windows.mainWindow);
    watchFirstPaint(windows.mainWindow);
    windows.mainWindow.show();
    if (!opened.isEmpty())
        windows.mainWindow.choosePort(opened.constLast());
    return QApplication::exec();
}
