// The line under the panel that says how the connection stands: the port and
// its rate, the motor the panel addresses now (ID:channels at the rate its
// frames go out at, and whether it is silent) once a motor answered, or that
// none or several answered, how long ago the last valid answer came, a lost
// port and its return.  It also rates the
// answers for the signal-bars picture: five bars only while they come.
#pragma once

#include "MotorTarget.h"

#include <QElapsedTimer>
#include <QStatusBar>
#include <QTimer>

class ElidedLabel;
class MotorLink;
struct MessageTexts;

class StatusLine : public QStatusBar {
    Q_OBJECT
public:
    StatusLine(MotorLink &link, const MessageTexts &texts, QWidget *parent);

    // What is known of the motor on the port.
    // SeveralAnswered: the scan heard only answers that collided.
    // Addressed: the motor the panel addresses now; Silent: it stopped answering its polls.
    enum class Motor {
        NoPort,
        NotAsked,
        Scanning,
        Addressed,
        Silent,
        NoAnswer,
        SeveralAnswered,
        IdOutOfRange,
        PortLost,
        PortBack
    };
    Motor motor() const { return m_motor; }

    // No port chosen (OFF), also after a loss.
    void showNoPort() { setMotor(Motor::NoPort); }
    // The port's device went away (waiting for it) and came back (scanning).
    void showPortLost(const QString &portName);
    void showPortBack(const QString &portName);
    // All texts again, in the language chosen last (and the bars, which
    // start unlit).
    void refresh();

    // How many of the five bars an answer this many milliseconds old earns
    // (negative: no answer since the port opened).
    static int barsFor(qint64 answerAgeMs);

signals:
    void barsChanged(int bars);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOut();
    void listenToLink();
    void setMotor(Motor motor);
    void showAnswerAge();
    // The panel's target or the line's rate changed since they were shown.
    void followTarget();
    QString addressedText() const;

    MotorLink &m_link;
    const MessageTexts &m_texts;
    // Null until the constructor builds them: the bar's own children send
    // events through eventFilter before that.
    QWidget *m_row = nullptr; // holds the three texts
    ElidedLabel *m_port = nullptr, *m_motorText = nullptr, *m_answer = nullptr;
    Motor m_motor = Motor::NoPort;
    QString m_portName;
    int m_bitsPerSecond = 0;
    MotorTarget m_addressed; // as shown
    int m_addressedBps = 0;
    int m_reportedId = 0; // an ID outside 1..99
    QElapsedTimer m_sinceAnswer; // invalid: no answer since the port opened
    QTimer m_clock; // the answer's age and the bars move on by themselves
    int m_bars = -1;
    qint64 m_shownSeconds = -2; // the age last shown (-1: none)
};
