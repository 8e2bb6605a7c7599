// A fixed session of a technician with the program against the simulated
// motor, recorded so that two builds can be compared: every frame the motor
// bus received and pictures of the main and settings windows at fixed points.
//   QT_QPA_PLATFORM=offscreen build/tests/main/tavik-scripted-run OUTDIR
// writes OUTDIR/frames.txt, OUTDIR/messages.txt and OUTDIR/*.png;
// scripts/compare-run.sh compares two such folders.  Exits 1 when a step's
// effect does not come.
//
// Everything the run knows of the program is in the block below: it builds
// the windows and records the message boxes; all else is found by objectName.
#include "Messages.h"
#include "Windows.h"

namespace program {
struct Session {
    explicit Session(const QStringList &ports) : windows(ports) { windows.mainWindow.show(); }
    Messages::Recorder messages; // the boxes the program would show, as texts
    Windows windows;
};
} // namespace program

#include "MotorSim.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>

namespace {

// The simulated motor: a fixed speed, so that a run takes the same steps.
constexpr int MotorId = 12;
constexpr quint16 MotorChannels = 0x0006; // channels 2 and 3
constexpr int MotorStart = 37; // percent
constexpr double MotorSpeed = 80; // percent per second
constexpr int BusBaudCode = 3; // the scan must try a few rates first
constexpr int StepTimeoutMs = 15000;
// The port box shows the port's name: a fixed one, whatever terminal the
// system hands out.
const QString PortName = QStringLiteral("/tmp/tavik-scripted-run-port");

// Writes what was recorded up to a failure, to show how far the run came.
std::function<void()> recordSoFar;

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stderr, "scripted run: %s\n", qPrintable(what));
    if (recordSoFar)
        std::exchange(recordSoFar, nullptr)();
    std::exit(1);
}

// Polls until ready() holds; a step whose effect never comes ends the run.
void waitFor(const QString &what, const std::function<bool()> &ready)
{
    QElapsedTimer clock;
    clock.start();
    while (!ready()) {
        if (clock.elapsed() > StepTimeoutMs)
            fail(QStringLiteral("timed out waiting for ") + what);
        QTest::qWait(10);
    }
}

QWidget *window(const char *objectName)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(objectName))
            return w;
    fail(QStringLiteral("no window ") + QLatin1String(objectName));
}

template <typename T = QWidget> T *control(QWidget *in, const char *objectName)
{
    T *found = in->findChild<T *>(QLatin1String(objectName));
    if (!found)
        fail(QStringLiteral("no control ") + QLatin1String(objectName));
    return found;
}

void trigger(QWidget *in, const char *menuItem)
{
    control<QAction>(in, menuItem)->trigger();
}

// A mouse move over a control with the given buttons held, as the pointer
// crossing it would send.
void hover(QWidget *target, QPoint at = {5, 5}, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent e(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &e);
}

void click(QWidget *target, QPoint at = {5, 5})
{
    hover(target, at);
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
}

// Walks a list box with the arrow keys until it shows text; every item on
// the way is chosen in turn, as by a user.
void chooseByKeys(QComboBox *box, const QString &text)
{
    const int wanted = box->findText(text);
    if (wanted < 0)
        fail(QStringLiteral("no item ") + text + QStringLiteral(" in ") + box->objectName());
    box->setFocus();
    while (box->currentIndex() != wanted)
        QTest::keyClick(box, box->currentIndex() < wanted ? Qt::Key_Down : Qt::Key_Up);
}

// Types an item's text into a list box, which jumps to the first item from
// the top that starts with it.
void typeInto(QComboBox *box, const QString &text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home);
    QTest::keyClicks(box, text);
    if (box->currentText() != text)
        fail(box->objectName() + QStringLiteral(" shows ") + box->currentText() + QStringLiteral(", not ") + text);
}

constexpr char StatusPoll = char(0xCC); // function byte of the idle poll
constexpr char ReadExtended = char(0xCB);

class Recording {
public:
    Recording(MotorSim &sim, const QString &dir) : m_sim(sim), m_dir(dir) {}

    // Waits for polls to reach the bus, each answered and shown.
    void polls(int count = 3)
    {
        const qsizetype until = m_sim.frames().size() + count;
        waitFor(QStringLiteral("%1 more polls").arg(count), [&] {
            const auto &frames = m_sim.frames();
            return frames.size() >= until && frames.last().bytes[4] == StatusPoll;
        });
        answered();
    }
    // Waits for count frames with this function byte (and ID, if given)
    // after the first `after` frames, then for their answers.  The program
    // sends every frame but the poll twice.
    void frame(char function, qsizetype after, int id = -1, int count = 2)
    {
        waitFor(QStringLiteral("a frame %1").arg(quint8(function), 2, 16, QLatin1Char('0')), [&] {
            const auto &frames = m_sim.frames();
            int seen = 0;
            for (qsizetype i = after; i < frames.size(); ++i)
                seen += frames[i].bytes[4] == function && (id < 0 || frames[i].bytes[1] == char(id));
            return seen >= count;
        });
        answered();
    }
    qsizetype frameCount() const { return m_sim.frames().size(); }
    // Every answer due has left the bus, and the program has had the time
    // to read it.
    void answered()
    {
        waitFor(QStringLiteral("the answers"), [&] {
            const auto &frames = m_sim.frames();
            const auto due = std::count_if(frames.cbegin(), frames.cend(),
                                           [](const MotorBus::ReceivedFrame &f) { return !f.answer.isEmpty(); });
            return m_sim.answersSent() >= due;
        });
        QTest::qWait(50);
    }
    void picture(QWidget *w, const char *kind, const char *step)
    {
        const QString name = m_dir + QStringLiteral("/%1-%2.png").arg(QLatin1String(kind), QLatin1String(step));
        if (!w->grab().save(name))
            fail(QStringLiteral("cannot write ") + name);
    }
    // One line per frame, its line rate beside it.  How often the idle poll
    // repeats depends on the run's timing: a run of equal polls is written
    // once.  Every other frame is written as often as it came.
    void writeFrames() const
    {
        QStringList lines;
        for (const MotorBus::ReceivedFrame &f : m_sim.frames()) {
            const QString line = QString::fromLatin1(f.bytes.toHex(' ')) + QStringLiteral(" @%1").arg(f.lineRateBps);
            if (f.bytes[4] != StatusPoll || lines.isEmpty() || lines.last() != line)
                lines << line;
        }
        write(QStringLiteral("frames.txt"), lines);
    }
    void write(const QString &name, const QStringList &lines) const
    {
        QFile file(m_dir + QLatin1Char('/') + name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            fail(QStringLiteral("cannot write ") + file.fileName());
        for (const QString &line : lines)
            file.write(line.toUtf8() + '\n');
    }

private:
    MotorSim &m_sim;
    QString m_dir;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavik"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: tavik-scripted-run OUTDIR\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);

    MotorSim sim;
    Motor motor;
    motor.id = MotorId;
    motor.channels = MotorChannels;
    motor.position = MotorStart;
    motor.speed = MotorSpeed;
    motor.limits = {20, -1, 60, -1};
    sim.bus().motors().append(motor);
    sim.bus().setBaudCode(BusBaudCode);
    const Motor &simMotor = sim.bus().motors().first();
    if (!sim.link(PortName))
        fail(QStringLiteral("cannot link ") + PortName);

    program::Session session({PortName});
    Recording rec(sim, dir);
    recordSoFar = [&] {
        rec.writeFrames();
        rec.write(QStringLiteral("messages.txt"), session.messages.texts());
    };
    QWidget *main = window("Form1");
    const auto item = [&](const char *name) { return control(main, name); };
    auto *idBox = control<QComboBox>(main, "ComboBox1");
    auto *portBox = control<QComboBox>(main, "ComboBox2");
    auto *position = control<QLineEdit>(main, "Edit4");
    const auto shows = [&](int percent) { return position->text() == QStringLiteral(" %1 %").arg(percent); };
    // The motor stands at its target and the window shows where.
    const auto settled = [&](int percent) {
        waitFor(QStringLiteral("the motor at %1 %").arg(percent),
                [&] { return simMotor.target < 0 && simMotor.reportedPosition() == percent && shows(percent); });
        rec.polls();
    };
    // Opens the settings window and waits for both reads to be answered.
    QWidget *settings = nullptr;
    const auto openSettings = [&] {
        const qsizetype before = rec.frameCount();
        trigger(main, "SetMenu");
        settings = window("SetForm");
        rec.frame(ReadExtended, before);
        waitFor(QStringLiteral("the settings window"), [&] { return settings->isVisible() && settings->isEnabled(); });
    };
    const auto closeSettings = [&] {
        settings->close();
        waitFor(QStringLiteral("the main window back"), [&] { return main->isEnabled(); });
    };
    QTest::qWait(100); // the port list is read once the window is drawn

    // 1. The port: the scan tries the rates until the motor answers and
    // takes its ID and channels.  With two channels chosen the motor's
    // position is not asked for.
    hover(item("Label_COM_SELECTE"));
    chooseByKeys(portBox, PortName);
    rec.frame(ReadExtended, 0);
    waitFor(QStringLiteral("the scan"), [&] {
        return idBox->currentText() == QString::number(MotorId) && item("ImageSelectCH2")->isVisible()
            && item("ImageSelectCH3")->isVisible();
    });
    hover(item("Image_bei_jing"));
    rec.picture(main, "main", "1-scan");

    // 2. The ID, by the keyboard: the next one, whose channel 1 is polled,
    // and back to the motor's.
    hover(item("Label_id_select"));
    chooseByKeys(idBox, QString::number(MotorId + 1));
    rec.frame(StatusPoll, rec.frameCount(), MotorId + 1, 1);
    chooseByKeys(idBox, QString::number(MotorId));

    // 3. Channel 3 off: one channel, whose position is polled.
    click(item("Label_ch3"));
    settled(MotorStart);
    hover(item("Image_bei_jing"));

    // 4. Up: the curtain opens fully.
    click(item("Label_shang"));
    settled(0);
    hover(item("Image_bei_jing"));
    rec.polls(1);
    rec.picture(main, "main", "2-up");

    // 5. The slider's pointer dragged 60 % to the right.
    QWidget *pointer = item("Image_Place_zhi_zhen");
    hover(item("Image_Place"));
    QTest::mousePress(pointer, Qt::LeftButton, {}, {5, 5});
    hover(pointer, {125, 5}, Qt::LeftButton); // 2 pixels a percent
    QTest::mouseRelease(pointer, Qt::LeftButton, {}, {5, 5});
    settled(60);
    rec.picture(main, "main", "3-slider");

    // 6. The settings window, after its read.
    openSettings();
    rec.picture(settings, "settings", "4-read");

    // 7. One write: the speed 80 on its tab, confirmed by the read-back.
    auto *pages = control<QTabWidget>(settings, "bsSkinPageControl1");
    pages->setCurrentWidget(control(settings, "bsSkinTabSheet3"));
    click(control<QRadioButton>(settings, "RPM80"));
    const qsizetype boxesBefore = session.messages.texts().size();
    click(control<QPushButton>(settings, "bsSkinButton5"));
    waitFor(QStringLiteral("the speed write"),
            [&] { return simMotor.maxSpeed == 80 && session.messages.texts().size() > boxesBefore; });
    rec.answered();
    rec.picture(settings, "settings", "5-write");
    closeSettings();

    // 8. The read took the motor's two channels again: channel 3 off, so
    // that its position shows; then English, in the main window and in the
    // settings window.
    click(item("Label_ch3"));
    settled(60);
    trigger(main, "English1");
    hover(item("Image_bei_jing"));
    rec.polls(1);
    rec.picture(main, "main", "6-language");
    openSettings();
    rec.picture(settings, "settings", "6-language");
    closeSettings();

    // 9. The forced ID window: ID 7 on all channels.
    trigger(main, "IDSetMenu");
    QWidget *forced = window("IDSetForm");
    waitFor(QStringLiteral("the forced ID window"), [&] { return forced->isVisible(); });
    const qsizetype beforeForced = rec.frameCount();
    typeInto(control<QComboBox>(forced, "ComboBox1"), QStringLiteral("7"));
    rec.frame(StatusPoll, beforeForced, 7, 1); // the list's ID is polled at once
    click(control(forced, "bsSkinSpeedButton33"));
    const qsizetype boxesBeforeForced = session.messages.texts().size();
    click(control(forced, "bsSkinButton1"));
    waitFor(QStringLiteral("the forced ID write"), [&] {
        return simMotor.id == 7 && simMotor.channels == 0xFFFF && session.messages.texts().size() > boxesBeforeForced;
    });
    rec.answered();
    rec.picture(forced, "forced-id", "7-write");

    std::exchange(recordSoFar, nullptr)();
    return 0;
}
