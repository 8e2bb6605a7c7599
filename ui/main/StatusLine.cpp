#include "StatusLine.h"

#include "ChannelNumbers.h"
#include "MessageTexts.h"
#include "MotorLink.h"

#include "ElidedLabel.h"

#include <QEvent>

#include <algorithm>

namespace {

// The age is shown in whole seconds and the bars change at whole seconds:
// a clock of one second keeps both true without waking the loop more often.
constexpr int ClockMs = 1000;
// One height in every language: the window keeps its size when the language changes.
constexpr int LineHeight = 23;
// The panel's darkest blue under its light caption text.
const char *const Look = "StatusLine { background: #0a111f; border-top: 1px solid #22324f; }"
                         "QLabel { color: #c8d6ea; padding: 0 4px; }";

// The port's share of the line that the motor's text leaves it at least.
constexpr int PortShareDivisor = 5;

} // namespace

StatusLine::StatusLine(MotorLink &link, const MessageTexts &texts, QWidget *parent)
    : QStatusBar(parent), m_link(link), m_texts(texts)
{
    setObjectName(QStringLiteral("StatusLine"));
    setSizeGripEnabled(false);
    setFixedHeight(LineHeight);
    setStyleSheet(QLatin1String(Look));
    // The labels share the line's width themselves (layOut): no text, however
    // long, widens the window.  A port name keeps its end, which tells one
    // adapter from another.
    m_row = new QWidget(this);
    addWidget(m_row, 1);
    m_row->installEventFilter(this);
    const auto label = [this](const char *name, Qt::TextElideMode mode) {
        auto *l = new ElidedLabel(mode, m_row);
        l->setObjectName(QLatin1String(name));
        connect(l, &ElidedLabel::fullTextChanged, this, &StatusLine::layOut);
        return l;
    };
    m_port = label("StatusPort", Qt::ElideLeft);
    m_motorText = label("StatusMotor", Qt::ElideLeft);
    m_answer = label("StatusAnswer", Qt::ElideRight);
    m_clock.setInterval(ClockMs);
    connect(&m_clock, &QTimer::timeout, this, &StatusLine::showAnswerAge);
    m_clock.start();
    listenToLink();
}

bool StatusLine::eventFilter(QObject *watched, QEvent *event)
{
    if (m_answer && watched == m_row && event->type() == QEvent::Resize)
        layOut();
    return QStatusBar::eventFilter(watched, event);
}

// Port and motor from the left, the answer's age at the right end.  The
// age and what is known of the motor stay whole; the port's text (its name
// is in the port box too) takes what is left, at least a fifth of the line.
void StatusLine::layOut()
{
    const int room = m_row->width();
    const int answer = std::min(m_answer->naturalWidth(), room);
    const int motor = std::clamp(m_motorText->naturalWidth(), 0, std::max(0, room - answer - room / PortShareDivisor));
    const int port = std::clamp(m_port->naturalWidth(), 0, std::max(0, room - answer - motor));
    const int height = m_row->height();
    m_port->setGeometry(0, 0, port, height);
    m_motorText->setGeometry(port, 0, room - port - answer, height);
    m_answer->setGeometry(room - answer, 0, answer, height);
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
        if (m_motor == Motor::NoAnswer || m_motor == Motor::SeveralAnswered || m_motor == Motor::NotAsked)
            setMotor(Motor::Addressed);
        else if (m_motor == Motor::Silent && sender.id == m_addressed.id
                 && (sender.channels.word() & m_addressed.channels.word()))
            setMotor(Motor::Addressed);
        showAnswerAge();
    });
    connect(&m_link, &MotorLink::motorSilent, this, [this] {
        if (m_motor == Motor::Addressed && !m_addressed.isGroup())
            setMotor(Motor::Silent);
    });
    // Each frame goes to the target current when it is sent.
    connect(&m_link, &MotorLink::ticked, this, &StatusLine::followTarget);
    connect(&m_link, &MotorLink::reportedIdOutOfRange, this, [this](int id) { m_reportedId = id; });
    connect(&m_link, &MotorLink::scanEnded, this, [this](MotorLink::ScanEnd end) {
        if (end == MotorLink::ScanEnd::NoneAnswered)
            setMotor(Motor::NoAnswer);
        else if (end == MotorLink::ScanEnd::SeveralAnswered)
            setMotor(Motor::SeveralAnswered);
        else if (m_reportedId > MotorSettings::MaxId)
            setMotor(Motor::IdOutOfRange);
        else
            setMotor(Motor::Addressed);
        m_reportedId = 0;
    });
    // The channels a scan found are the target's once it reports them.
    connect(&m_link, &MotorLink::reportedChannels, this, &StatusLine::followTarget);
}

void StatusLine::followTarget()
{
    if (m_motor != Motor::Addressed && m_motor != Motor::Silent)
        return;
    if (m_link.target() != m_addressed || m_link.serial().bitsPerSecond() != m_addressedBps)
        setMotor(Motor::Addressed); // another motor: not known to be silent
}

QString StatusLine::addressedText() const
{
    const QString channels = m_addressed.channels.word() ? channelNumbersText(m_addressed.channels)
                                                         : QStringLiteral("-");
    if (m_addressed.isGroup())
        return m_texts[Message::StatusGroupAddressed].arg(channels).arg(m_addressedBps);
    return m_texts[m_motor == Motor::Silent ? Message::StatusMotorSilent : Message::StatusMotorAddressed]
        .arg(m_addressed.id)
        .arg(channels)
        .arg(m_addressedBps);
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
    m_addressed = m_link.target();
    m_addressedBps = m_link.serial().bitsPerSecond();
    refresh();
}

void StatusLine::refresh()
{
    const bool open = m_motor != Motor::NoPort && m_motor != Motor::PortLost;
    m_port->setFullText(open ? m_texts[Message::StatusPort].arg(m_portName).arg(m_bitsPerSecond) : QString());
    switch (m_motor) {
    case Motor::NoPort: m_motorText->setFullText(m_texts[Message::StatusNoPort]); break;
    case Motor::NotAsked: m_motorText->setFullText(QString()); break;
    case Motor::Scanning: m_motorText->setFullText(m_texts[Message::StatusScanning]); break;
    case Motor::Addressed:
    case Motor::Silent: m_motorText->setFullText(addressedText()); break;
    case Motor::NoAnswer: m_motorText->setFullText(m_texts[Message::StatusNoAnswer]); break;
    case Motor::SeveralAnswered: m_motorText->setFullText(m_texts[Message::StatusSeveralAnswered]); break;
    case Motor::IdOutOfRange: m_motorText->setFullText(m_texts[Message::StatusIdOutOfRange]); break;
    case Motor::PortLost: m_motorText->setFullText(m_texts[Message::StatusPortLost].arg(m_portName)); break;
    case Motor::PortBack: m_motorText->setFullText(m_texts[Message::StatusPortBack].arg(m_portName)); break;
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
        m_answer->setFullText(seconds < 0 ? QString() : m_texts[Message::StatusLastAnswer].arg(seconds));
    }
    const int bars = barsFor(age);
    if (bars != m_bars) {
        m_bars = bars;
        emit barsChanged(bars);
    }
}
