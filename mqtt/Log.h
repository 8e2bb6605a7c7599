// One line per event on standard error, where journald picks it up.  A line
// repeated within RepeatWindowMs is written once; how many more came is told
// in one line when the window ends.
#pragma once

#include <QHash>
#include <QString>

#include <functional>

// A line that says a state was reached again (connected, a port open) is
// never held back: collapse is false for it.
void logLine(const QString &text, bool collapse = true);
// A payload as a log line shows it: its start, unprintable characters as '?'.
QString shownPayload(const QByteArray &payload);
// Tells what is still counted (the program ends).
void flushLog();

class LogCollapser {
public:
    static constexpr qint64 RepeatWindowMs = 60000;
    using Sink = std::function<void(const QString &)>;

    explicit LogCollapser(Sink sink, qint64 windowMs = RepeatWindowMs);
    void line(const QString &text, qint64 nowMs);
    // Tells the repeats of the windows that ended by nowMs (all of them when all is true).
    void flush(qint64 nowMs, bool all = false);
    // When the next window ends; -1 when none is open.
    qint64 nextEndMs() const;

private:
    struct Window {
        qint64 startMs;
        int more;
    };
    Sink m_sink;
    qint64 m_windowMs;
    QHash<QString, Window> m_open;
};
