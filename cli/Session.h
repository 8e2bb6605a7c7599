// One run of a tavik-cli command, as a sequence of steps (SessionStep.h).
//
// `tavik-cli apply room.json --target 1:1 --target 12:3`, step by step:
//   Opening     start() opens the port; without --baud the link scans the
//               rates with reads to the first target.
//   Reading     beginTarget() for 1:1: a read request names the motor (the
//               scan's report where no target is named), then a second
//               its extended settings (only read and apply want them); a
//               read's result that is not the named motor's ends the target.
//   Writing     afterRead() prints the plan; each change is written and
//               confirmed by its read-back.  The other commands' steps:
//               set has Writing too, motion commands Sending then Confirming
//               (a status answer confirms a command to one motor on one
//               channel), status Watching, monitor Monitoring.
//   Ended       endTarget() records 1:1's result; on the next tick
//               beginTarget() goes on with 12:3 (Reading at the rate found).
//   Finished    closeRun() after the last target: results of any targets
//               not tried, the summary, finished(the worst exit code).
// fail() ends the whole run from any step (port lost, output unwritable),
// interrupt() on SIGINT or SIGTERM.  What the run learns of a target outside
// any one step (the motor's report, stray bytes) is in TargetFacts.
//
// The files follow the steps: Session.cpp (the run: opening, targets in turn,
// ticks, endings), SessionRead.cpp (Reading), SessionWrite.cpp (Writing),
// SessionCommand.cpp (Sending, Confirming), SessionWatch.cpp (status answers,
// Watching, Monitoring), SessionOutput.cpp (records, the summary, interrupts).
// The link is reached only through LinkDriver.
#pragma once

#include "Arguments.h"
#include "LinkDriver.h"
#include "Output.h"
#include "SessionStep.h"

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
    using Step = std::variant<SessionStep::Opening, SessionStep::Reading, SessionStep::Writing, SessionStep::Sending,
                              SessionStep::Confirming, SessionStep::Watching, SessionStep::Monitoring,
                              SessionStep::Ended, SessionStep::Finished>;

    // The motor as it reported itself: its ID and channels, and its values.
    struct ReportedMotor {
        MotorTarget target;
        SettingValues values;
    };
    // What the run knows of the target under way, whichever step it is in.
    struct TargetFacts {
        std::optional<ReportedMotor> reported; // none: no basic report yet
        qint64 discardedBytes = 0; // bytes that came back but were no valid answer
        QStringList discardKinds;
        bool collided = false; // answers came garbled the same way twice: several motors at once
        int collidedAtBps = 0; // the line's rate when they last did
        int sharedAtBps = 0; // several motors with the ID answered in turn, cleanly, at this rate
        QStringList otherAnswers; // motors that answered while this one was read
        int commandFrames = 0; // frames of the motor command sent
    };
    // How one target ended.
    struct Outcome {
        std::optional<MotorTarget> target; // none: no target named and no motor reported
        int code = Done;
        QString message;
    };

    // Session.cpp: the run
    bool openPort();
    void beginTarget();
    // The command's own step, after the read or without one.
    void proceed();
    // The next step, unless the run has finished meanwhile: a failed write
    // to the output ends it from within any step.
    void enter(Step step);
    bool isFinished() const { return std::holds_alternative<SessionStep::Finished>(m_step); }
    void onTick();
    // Runs a step on the next tick, once the frame this one sent is out (a
    // command staged now would take the place of its second send).
    void onNextTick(std::function<void()> step);
    // This target ends; the next begins or the run closes.
    void endTarget(int code, const QString &message);
    void fail(int code, const QString &message); // the whole run ends
    void finish(int code);

    // SessionRead.cpp: Reading
    // The target's basic settings read at the line's rate: the motor named,
    // or for none (or a group) whichever motor answers alone.
    void readTarget();
    void onReadDone(const ReadResult &result);
    // What a read's result tells of the line, for the reason if the target fails.
    void noteAnswers(const ReadResult &result);
    void onBasicRead(const ReadResult &result);
    void onExtendedRead(const ReadResult &result);
    // A scan's report (no named target, or a motion command's rate).
    void onBasicReport(const SettingValues &values, const MotorTarget &reported);
    // Whether a report comes from the motor of the target under way.
    bool fromTargetUnderWay(const MotorTarget &reported) const;
    // The basic report is in: the extended one next, or the command goes on.
    void basicReported(const MotorTarget &reported, const SettingValues &values);
    // The target's motor did not report itself: the target ends, or (the
    // monitor, an ID write, a forced write) the command goes on regardless.
    void notReported();
    void afterRead();

    // SessionRate.cpp: the rate of each named target, when no --baud gave it
    // Whether this target's rate is found by asking it at each rate.
    bool findsRateOfTarget() const;
    void startRateSearch();
    void askAtNextRate();
    // The read at one rate has its result: the next rate, or the search ends.
    void rateSearchRead(const ReadResult &result);
    void rateSearchOver();

    // SessionWrite.cpp: Writing
    void planAndApply();
    void planLine(const QString &text);
    // The forced ID write's results say that the line was not asked first.
    QString forcedNote() const;
    // After an ID write whose read-backs collided: several motors now answer there.
    QString nowShared(const SettingName &name, const MotorTarget &written) const;
    void nextWrite();
    // written: the value sent, which is the motor's only once confirmed.
    void onWriteDone(Settings::Item item, bool confirmed, std::optional<Byte> written = std::nullopt);
    void onNamedWriteDone(const WriteResult &result);
    // Nothing was written to the named motor, and why.
    void refuseWrite(const MotorTarget &motor, const QString &reason);
    QString refusalReason(const WriteResult &result) const;
    void onIdWriteRefused(LinkDriver::IdWriteRefusal why);

    // SessionCommand.cpp: Sending, Confirming
    void sendToTarget();
    void onFrameSent(Byte function, Byte data);
    void confirmCommand(bool silence);

    // SessionWatch.cpp: status answers, Watching, Monitoring
    void onStatusAnswer(const MotorTarget &from, int position, Byte status);
    void printStatus(SessionStep::Watching &watching, const MotorTarget &from, int position, Byte status);

    // SessionOutput.cpp: records, the summary, interrupts
    // Where the run is: "on PORT at RATE bps" (or every rate while scanning).
    QString where() const;
    // Why nothing valid came back: no bytes, or bytes that were not answers.
    QString silenceReason() const;
    // The ID and channels as records give them; null when unknown.
    QJsonObject targetFields(const std::optional<MotorTarget> &t) const;
    // The fields plus the port and the line rate (null when unknown).
    QJsonObject withLine(QJsonObject fields) const;
    // The target under way's result record, and its outcome for the summary.
    void recordResult(int code, const QString &message);
    // Results for the targets not tried, the summary, and the worst code.
    void closeRun(int code);
    void printSummary(int worst);
    const MotorTarget *requestedTarget() const;
    // The motor as reported, else the requested target.
    std::optional<MotorTarget> actedOn() const;
    // The motor's values as it reported them (a forced write without a
    // report: the link's defaults).
    SettingValues motorValues() const;

    const Request m_req;
    Output &m_out;
    LinkDriver m_link;
    QString m_port;
    bool m_rateKnown = false; // a scan found it or --baud gave it
    // Asking the named target at each rate in turn: the rates in the order
    // tried (the rate found for the target before first), where it answered.
    struct RateSearch {
        QList<int> rates;
        qsizetype next = 0;
        MotorTarget asked; // the named motor, or for an ID write the whole line
        QList<int> answeredAt;
        std::optional<ReadResult> found {}; // the named motor's read where it first answered
        bool firstIsKnown = false; // rates[0] was found for the target before
        bool anyAnswer = false; // an ID write: any motor's answer, collided or not, finds the rate
    };
    std::optional<RateSearch> m_search;
    std::optional<int> m_foundRate; // where the last target answered
    int m_targetIndex = 0;
    QList<Outcome> m_outcomes;
    Step m_step;
    TargetFacts m_facts;
    std::function<void()> m_nextTickStep; // staged by onNextTick()
    bool m_scanOver = false; // the scan under way for this target has ended
};
