// Tavik: remote control and configuration tool for curtain motors on a
// serial line.
#include "Pictures.h"
#include "StartupProbe.h"
#include "Windows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QProxyStyle>

namespace {

// Hints appear, wait and hide after half a second each.
class HintStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay || hint == SH_ToolTip_FallAsleepDelay)
            return 500;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

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

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Remote control and configuration of curtain motors."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Adds a serial port that the port list cannot find "
                                                 "(a pseudo-terminal, a symbolic link). Repeatable."),
                                  QStringLiteral("PATH"));
    options.addOption(port);
    options.process(app);

    Windows windows(options.values(port));
    watchFirstPaint(windows.Form1);
    windows.Form1.show();
    return app.exec();
}
