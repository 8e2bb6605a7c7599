#include "StatusLine.h"

#include "ChannelNumbers.h"
#include "MessageTexts.h"
#include "MotorLink.h"

#include <QLabel>

namespace {

// The age is shown in whole seconds and the bars change at whole seconds:
// a clock of one second keeps both true without waking the loop more often.
constexpr int ClockMs = 1000;
// One height in every language: the window keeps its size when the language changes.
constexpr int LineHeight = 23;
// The panel's darkest blue under its light caption text.
const char *const Look = "StatusLine { background: #0a111f; border-top: 1px solid #22324f; }"
                         "QLabel { color: #c8d6ea; padding: 0 4px; }";

QLabel *addLabel(QStatusBar *line, const char *name, int stretch)
{
    auto *label = new QLabel(line);
    label->setObjectName(QLatin1String(name));
    line->addWidget(label, stretch);
    return label;
}

} // namespace

StatusLine::StatusLine(MotorLink &link, const MessageTexts &texts, QWidget *parent)
    : QStatusBar(parent), m_link(link), m_texts(texts)
{
    setObjectName(QStringLiteral("StatusLine"));
    setSizeGripEnabled(false);
    setFixedHeight(LineHeight);
    setStyleSheet(QLatin1String(Look));
    m_port = addLabel(this, "StatusPort", 0);
    m_motorText = addLabel(this, "StatusMotor", 1);
    m_answer = addLabel(this, "StatusAnswer", 0);
    m_clock.setInterval(ClockMs);
    connect(&m_clock, &QTimer::timeout, this, &StatusLine::showAnswerAge);
    m_clock.start();
    listenToLink();
}

void StatusLine::listenToLink()
{
    connect(&m_link, &MotorLink::portEvent, this,
            [this](MotorLink::PortEvent event, const QString &name, int bitsPerSecond) {
                m_portName = name;
                m_bitsPerSecond = bitsPerSecond;
                switch (event) {
                case MotorLink::PortEvent::Opened:
                    m_sinceAnswer.invalidate();
                    setMotor(m_link.isScanning() ? Motor::Scanning : Motor::NotAsked);
                    break;
                case MotorLink::PortEvent::Reopened: refresh(); break;
                case MotorLink::PortEvent::Closed:
                    m_sinceAnswer.invalidate();
                    setMotor(Motor::NoPort);
                    break;
                case MotorLink::PortEvent::Lost:
                    m_sinceAnswer.invalidate();
                    setMotor(Motor::PortLost);
                    break;
                }
            });
    connect(&m_link, &MotorLink::answerFrom, this, [this](const MotorTarget &sender) {
        m_sinceAnswer.start();
        // An answer on a port where the scan found nothing: a motor is there after all.
        if (m_motor == Motor::NoAnswer || m_motor == Motor::SeveralAnswered || m_motor == Motor::NotAsked) {
            m_found = sender;
            setMotor(Motor::Found);
        }
        showAnswerAge();
    });
    connect(&m_link, &MotorLink::reportedId, this, [this](int id) { m_found.id = id; });
    connect(&m_link, &MotorLink::reportedIdOutOfRange, this, [this](int id) { m_reportedId = id; });
    connect(&m_link, &MotorLink::scanEnded, this, [this](MotorLink::ScanEnd end) {
        if (end == MotorLink::ScanEnd::NoneAnswered)
            setMotor(Motor::NoAnswer);
        else if (end == MotorLink::ScanEnd::SeveralAnswered)
            setMotor(Motor::SeveralAnswered);
        else if (m_reportedId > MotorSettings::MaxId)
            setMotor(Motor::IdOutOfRange);
        else
            setMotor(Motor::Found);
        m_reportedId = 0;
    });
    // The channels a scan found are the target's once it reports them.
    connect(&m_link, &MotorLink::reportedChannels, this, [this] {
        if (m_motor == Motor::Found) {
            m_found = m_link.target();
            refresh();
        }
    });
}

void StatusLine::showPortLost(const QString &portName)
{
    m_portName = portName;
    setMotor(Motor::PortLost);
}

void StatusLine::showPortBack(const QString &portName)
{
    m_portName = portName;
    setMotor(Motor::PortBack);
}

void StatusLine::setMotor(Motor motor)
{
    m_motor = motor;
    refresh();
}

void StatusLine::refresh()
{
    const bool open = m_motor != Motor::NoPort && m_motor != Motor::PortLost;
    m_port->setText(open ? m_texts[Message::StatusPort].arg(m_portName).arg(m_bitsPerSecond) : QString());
    switch (m_motor) {
    case Motor::NoPort: m_motorText->setText(m_texts[Message::StatusNoPort]); break;
    case Motor::NotAsked: m_motorText->setText(QString()); break;
    case Motor::Scanning: m_motorText->setText(m_texts[Message::StatusScanning]); break;
    case Motor::Found:
        m_motorText->setText(
            m_texts[Message::StatusMotorFound]
                .arg(m_found.id)
                .arg(m_found.channels.word() ? channelNumbersText(m_found.channels, u' ') : QStringLiteral("-")));
        break;
    case Motor::NoAnswer: m_motorText->setText(m_texts[Message::StatusNoAnswer]); break;
    case Motor::SeveralAnswered: m_motorText->setText(m_texts[Message::StatusSeveralAnswered]); break;
    case Motor::IdOutOfRange: m_motorText->setText(m_texts[Message::StatusIdOutOfRange]); break;
    case Motor::PortLost: m_motorText->setText(m_texts[Message::StatusPortLost].arg(m_portName)); break;
    case Motor::PortBack: m_motorText->setText(m_texts[Message::StatusPortBack].arg(m_portName)); break;
    }
    m_shownSeconds = -2; // the age's text too, in the language chosen last
    showAnswerAge();
}

int StatusLine::barsFor(qint64 answerAgeMs)
{
    constexpr qint64 limits[5] = {15000, 8000, 4000, 2000, 1000};
    int bars = 0;
    for (const qint64 limit : limits)
        bars += answerAgeMs >= 0 && answerAgeMs < limit ? 1 : 0;
    return bars;
}

void StatusLine::showAnswerAge()
{
    const qint64 age = m_sinceAnswer.isValid() ? m_sinceAnswer.elapsed() : -1;
    // Answers come several times a second: the text is set only when it changes.
    const qint64 seconds = age < 0 ? -1 : age / 1000;
    if (seconds != m_shownSeconds) {
        m_shownSeconds = seconds;
        m_answer->setText(seconds < 0 ? QString() : m_texts[Message::StatusLastAnswer].arg(seconds));
    }
    const int bars = barsFor(age);
    if (bars != m_bars) {
        m_bars = bars;
        emit barsChanged(bars);
    }
}
