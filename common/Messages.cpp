#include "Messages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <utility>

namespace Messages {
namespace {

// A box inherits its parent's style sheet: over the secondary windows that
// means their light text, which on a box's default light background can no
// longer be read.  So every box brings its own colours, the navy and light
// text of the program's windows, and the parent's rules lose to them.
const char *const BoxLook = R"(
QMessageBox { background-color: #16213a; }
QMessageBox QLabel { color: #e4ecf7; background: transparent; }
QMessageBox QPushButton {
    color: #eef4fb;
    background-color: #2c3c5c;
    border: 1px solid #4a6190;
    border-radius: 4px;
    padding: 4px 18px;
    min-width: 48px;
}
QMessageBox QPushButton:hover, QMessageBox QPushButton:focus { border-color: #38bdf8; }
QMessageBox QPushButton:pressed { background-color: #1f2b42; }
)";

Sink &currentSink()
{
    static Sink sink;
    return sink;
}

Recorder *&currentRecorder()
{
    static Recorder *recorder = nullptr;
    return recorder;
}

// The boxes open now (nested: one may open while another waits).
QList<QPointer<QMessageBox>> &openBoxes()
{
    static QList<QPointer<QMessageBox>> boxes;
    return boxes;
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
    const std::unique_ptr<QMessageBox> box = createBox(text, kind, QApplication::activeWindow());
    openBoxes().append(box.get());
    box->exec();
    openBoxes().removeAll(box.get());
}

} // namespace

std::unique_ptr<QMessageBox> createBox(const QString &text, Kind kind, QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::Information,
                                             QApplication::applicationName(), text, QMessageBox::Ok, parent);
    box->setStyleSheet(QLatin1String(BoxLook));
    return box;
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

void dismiss(const QString &text)
{
    if (Recorder *recorder = currentRecorder())
        recorder->m_dismissed.append(text);
    for (const QPointer<QMessageBox> &box : openBoxes())
        if (box && box->text() == text)
            box->done(QMessageBox::Ok);
}

Sink setSink(Sink sink)
{
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

Recorder::Recorder() : m_previousRecorder(std::exchange(currentRecorder(), this))
{
    m_previous = setSink([this](const QString &text, Kind) { m_texts.append(text); });
}

Recorder::~Recorder()
{
    setSink(std::move(m_previous));
    currentRecorder() = m_previousRecorder;
}

} // namespace Messages
