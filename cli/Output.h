// What tavik-cli prints: lines for people, or with --json one record per
// line, each with a "type" from a fixed set and field names shared by every
// command.  With --log every line of the wire and every result is also
// appended to a file, so a commissioning session leaves a record.
#pragma once

#include "WireLine.h"

#include <QFile>
#include <QJsonObject>
#include <QTextStream>

#include <functional>

// The record types, as "type" names them.
namespace Record {
inline constexpr char Scan[] = "scan";
inline constexpr char Settings[] = "settings";
inline constexpr char Plan[] = "plan";
inline constexpr char Change[] = "change";
inline constexpr char Result[] = "result";
inline constexpr char Status[] = "status";
inline constexpr char Frame[] = "frame";
inline constexpr char Error[] = "error";
inline constexpr char Summary[] = "summary";
inline constexpr char Port[] = "port"; // `ports`
inline constexpr char Setting[] = "setting"; // `settings`: one setting's facts
} // namespace Record

class Output {
public:
    Output(QTextStream &out, QTextStream &err, bool json, bool quiet);

    // Appends to this file from now on; false with the reason when it cannot.
    bool openLog(const QString &path, const QString &commandLine, QString &error);

    // A line for people (not with --json); chatter (plans, confirmations)
    // is left out with --quiet.  Logged either way.
    void say(const QString &text, bool chatter = false);
    // A record for scripts (only with --json): type first, then the fields.
    void record(const char *type, const QJsonObject &fields);
    // An error: its text on stderr, and with --json an "error" record.
    void error(const QString &text, const QJsonObject &fields);
    // Where a batch is ("[2/5] 12:3"), on the standard error when that is a
    // terminal (showProgress), and not with --quiet.
    void progress(int n, int total, const QString &motor);
    void showProgress(bool shown) { m_progress = shown; }
    // One event of the wire: printed only when shown, always logged.
    void wire(const WireLine &line, bool shown);

    bool json() const { return m_json; }
    // Called once, with the reason, when a write to the output or the log
    // fails: what the run prints is lost, so the run is a failure.
    void onWriteFailed(std::function<void(const QString &)> handler) { m_writeFailed = std::move(handler); }
    // Why a write failed; empty while every write went through.
    const QString &writeFailure() const { return m_failure; }

private:
    void log(const QString &line);
    void flush(QTextStream &stream, const QString &name);

    QTextStream &m_out;
    QTextStream &m_err;
    const bool m_json;
    const bool m_quiet;
    bool m_progress = false;
    QFile m_logFile;
    QTextStream m_log;
    std::function<void(const QString &)> m_writeFailed;
    QString m_failure;
};
