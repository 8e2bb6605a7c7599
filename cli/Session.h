// One run of a tavik-cli command: opens the port, then for each target in
// turn finds the motor (the baud scan or a read), writes, sends or watches,
// records how that target ended, and closes a batch with a summary.  The
// exit code is the worst of the targets'.  The link is reached only through
// LinkDriver.
//
// The parts live in one file each: SessionRead.cpp (opening, targets,
// reading), SessionWrite.cpp (set and apply: plan and writes),
// SessionWatch.cpp (motion commands, status, monitor), SessionOutput.cpp
// (results, errors, the summary, interrupts).
#pragma once

#include "Arguments.h"
#include "LinkDriver.h"
#include "Output.h"

#include <QObject>

#include <functional>
#include <optional>

class Session : public QObject {
    Q_OBJECT
public:
    enum Exit { Done = 0, NoAnswer = 1, Usage = 2, PortFailed = 3, Interrupted = 130, Terminated = 143 };

    Session(const Request &request, Output &output, QObject *parent = nullptr);

    // Starts the command; finished() follows, possibly at once.
    void start();
    // Ctrl-C (SIGINT) or SIGTERM: ends cleanly and says what was left
    // unconfirmed; the exit code is 128 + the signal's number.
    void interrupt(int signal);

signals:
    void finished(int exitCode);

private:
    // What the run waits for before its next step.
    enum class Phase { Opening, Reading, Writing, Sending, Confirming, Watching, Monitoring, Done };
    // How one target ended.
    struct Outcome {
        std::optional<Target> target; // none: no target named and no motor reported
        int code = Done;
        QString message;
    };

    // SessionRead.cpp
    bool openPort();
    QString choosePort();
    void beginTarget();
    void onTick();
    bool readAnswered();
    void onBasicReport(const FeatureValues &values, const Target &reported);
    void onExtendedReport(const FeatureValues &values, const Target &reported);
    // Whether a report comes from the motor of the target under way.
    bool fromTargetUnderWay(const Target &reported) const;
    void reportsComplete();
    void afterRead();
    void whenIdle(std::function<void()> step);
    void runIdleStep();

    // SessionWrite.cpp
    void planAndApply();
    void planLine(const QString &text);
    // The forced ID write's results say that the line was not asked first.
    QString forcedNote() const;
    void nextWrite();
    void onWriteDone(Settings::Item item, bool confirmed);
    void onIdWriteRefused(LinkDriver::IdWriteRefusal why);

    // SessionWatch.cpp
    void proceed();
    void sendToTarget();
    void onFrameSent(Byte function, Byte data);
    void onStatusAnswer(const Target &from, int position, Byte status);
    void printStatus(const Target &from, int position, Byte status);

    // SessionOutput.cpp
    // Where the run is: "on PORT at RATE bps" (or every rate while scanning).
    QString where() const;
    // Why nothing valid came back: no bytes, or bytes that were not answers.
    QString silenceReason() const;
    // The ID and channels as records give them; null when unknown.
    QJsonObject targetFields(const std::optional<Target> &t) const;
    // The fields plus the port and the line rate (null when unknown).
    QJsonObject withLine(QJsonObject fields) const;
    // This target ends; the next begins or the run closes.
    void endTarget(int code, const QString &message);
    void fail(int code, const QString &message); // the whole run ends
    // The target under way's result record, and its outcome for the summary.
    void recordResult(int code, const QString &message);
    // Results for the targets not tried, the summary, and the worst code.
    void closeRun(int code);
    void printSummary(int worst);
    void finish(int code);
    const Target *requestedTarget() const;
    // The motor as reported, else the requested target.
    std::optional<Target> actedOn() const;

    const Request m_req;
    Output &m_out;
    LinkDriver m_link;
    QString m_port;
    Phase m_phase = Phase::Opening;
    bool m_finished = false;
    bool m_rateKnown = false; // a scan found it or --baud gave it
    int m_targetIndex = 0;
    QList<Outcome> m_outcomes;

    // For the target under way.
    bool m_needsExtended = false;
    bool m_haveBasic = false;
    bool m_haveExtended = false;
    int m_waitTicks = 0; // ticks spent waiting for an answer
    Target m_reported; // the ID and channels the motor reported
    FeatureValues m_motor; // the values the motor reported
    qint64 m_discardedBytes = 0; // bytes that came back but were no valid answer
    QStringList m_discardKinds;
    QStringList m_otherAnswers; // motors that answered while this one was read
    std::function<void()> m_idleStep;
    bool m_readOutstanding = false; // a read was sent and its answer has not come
    int m_quietTicks = 0;

    QList<Change> m_writes; // still to write, in order
    std::optional<Change> m_writing;
    int m_readFrames = 0; // read-back frames sent for the write under way
    int m_written = 0; // writes confirmed for this target
    int m_sent = 0; // frames of the motor command sent
    QString m_lastStatus;
};
