// One run of a tavik-cli command over the motor link: opens the port, finds
// the motor (the baud scan and the settings reports), then writes, sends or
// watches, and ends with an exit code.
#pragma once

#include "Arguments.h"
#include "MessageTexts.h"
#include "MotorLink.h"
#include "WireLine.h"

#include <QObject>
#include <QTextStream>

#include <functional>

class Session : public QObject {
    Q_OBJECT
public:
    enum Exit { Done = 0, NoAnswer = 1, Usage = 2, PortFailed = 3, Interrupted = 130 };

    Session(const Request &request, QTextStream &out, QTextStream &err, QObject *parent = nullptr);

    // Starts the command; finished() follows, possibly at once.
    void start();
    // Ctrl-C: ends cleanly and says what was left unconfirmed.
    void interrupt();

signals:
    void finished(int exitCode);

private:
    // What the run waits for before its next step.
    enum class Phase { Opening, Reading, Writing, Sending, Watching, Monitoring, Done };

    bool openPort();
    void listPorts();
    void onTick();
    void onFrameSent(const QByteArray &bytes);
    void onFrameReceived(const QByteArray &bytes);
    void onReportsChanged();
    void proceed();
    void afterRead();
    void planAndApply();
    void nextWrite();
    void writeDone(Settings::Item item, bool confirmed);
    void sendToTarget();
    void printStatus(bool force);
    // monitor: what just happened on the wire, as one line.
    void showOnWire(WireLine::Direction direction, const QByteArray &bytes, const QString &meaning);
    bool linkIdle() const;
    void runIdleStep();
    void whenIdle(std::function<void()> step);

    // A line for people (not with --json); chatter (plans, confirmations)
    // is left out with --quiet.
    void print(const QString &text, bool chatter = false);
    void printJson(const QJsonObject &o);  // a line for scripts (only with --json)
    void fail(int code, const QString &message);
    void finish(int code);

    const Request m_req;
    QTextStream &m_out;
    QTextStream &m_err;
    MotorLink m_link;
    MessageTexts m_texts; // the link's port failures, worded for this tool
    Phase m_phase = Phase::Opening;
    bool m_needsRead = false;      // the command needs the motor's reports
    bool m_needsExtended = false;
    bool m_haveBasic = false;
    bool m_haveExtended = false;
    bool m_finished = false;
    int m_waitTicks = 0;           // ticks spent waiting for an answer
    Target m_reported;             // the ID and channels of the last basic report
    FeatureValues m_motor;         // the values the motor reported
    std::function<void()> m_idleStep;
    bool m_readOutstanding = false; // a read was sent and its answer has not come
    int m_quietTicks = 0;

    QList<Change> m_writes;        // still to write, in order
    const Change *m_writing = nullptr;
    Change m_current;
    int m_readFrames = 0;          // read-back frames sent for the write under way
    int m_sent = 0;                // frames of the motor command sent

    bool m_statusSeen = false;
    int m_position = -1;           // -1: unknown
    Byte m_status = 0;
    QString m_lastStatus;

};
