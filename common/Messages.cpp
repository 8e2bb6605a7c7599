#include "Messages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

namespace Messages {
namespace {

Sink &currentSink()
{
    static Sink sink;
    return sink;
}

void showBox(const QString &text, Kind kind)
{
    // Nobody can close a box on the offscreen platform (or without any
    // windows at all): say it instead of hanging.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance())
        || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        qWarning("message box: %s", qPrintable(text));
        return;
    }
    createBox(text, kind, QApplication::activeWindow())->exec();
}

} // namespace

std::unique_ptr<QMessageBox> createBox(const QString &text, Kind kind, QWidget *parent)
{
    return std::make_unique<QMessageBox>(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information,
                                         QApplication::applicationName(), text, QMessageBox::Ok, parent);
}

void show(const QString &text, Kind kind)
{
    if (currentSink())
        currentSink()(text, kind);
    else
        showBox(text, kind);
}

void post(const QString &text, Kind kind)
{
    QTimer::singleShot(0, QCoreApplication::instance(), [text, kind] { show(text, kind); });
}

Sink setSink(Sink sink)
{
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

Recorder::Recorder()
{
    m_previous = setSink([this](const QString &text, Kind) { m_texts.append(text); });
}

Recorder::~Recorder()
{
    setSink(std::move(m_previous));
}

} // namespace Messages
