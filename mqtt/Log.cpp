#include "Log.h"

#include "MqttText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QTimer>

#include <cstdio>

QString shownPayload(const QByteArray &payload)
{
    // A payload may hold anything; the log line gets it readable and short.
    QString shown = QString::fromUtf8(payload.left(32));
    for (QChar &c : shown)
        if (!c.isPrint())
            c = u'?';
    return shown;
}

LogCollapser::LogCollapser(Sink sink, qint64 windowMs) : m_sink(std::move(sink)), m_windowMs(windowMs) {}

void LogCollapser::line(const QString &text, qint64 nowMs)
{
    flush(nowMs);
    const auto open = m_open.find(text);
    if (open != m_open.end()) {
        ++open->more;
        return;
    }
    m_sink(text);
    m_open.insert(text, {nowMs, 0});
}

void LogCollapser::flush(qint64 nowMs, bool all)
{
    QList<std::pair<qint64, QString>> ended; // told in the order the lines first came
    for (auto it = m_open.begin(); it != m_open.end();) {
        const qint64 span = nowMs - it->startMs;
        if (!all && span < m_windowMs) {
            ++it;
            continue;
        }
        if (it->more > 0) {
            const qint64 seconds = (std::min(span, m_windowMs) + 999) / 1000;
            ended.append({it->startMs,
                          mqttText(MqttText::MqttLogRepeated)
                              .arg(it.key(), QLocale(QLocale::English).toString(it->more))
                              .arg(seconds)});
        }
        it = m_open.erase(it);
    }
    std::sort(ended.begin(), ended.end());
    for (const auto &e : std::as_const(ended))
        m_sink(e.second);
}

qint64 LogCollapser::nextEndMs() const
{
    qint64 next = -1;
    for (const Window &w : m_open)
        if (next < 0 || w.startMs + m_windowMs < next)
            next = w.startMs + m_windowMs;
    return next;
}

namespace {

void writeLine(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

struct ProcessLog {
    LogCollapser collapser {writeLine};
    QElapsedTimer clock;
    bool flushArmed = false;

    ProcessLog() { clock.start(); }
    // The summaries are written when their window ends, not when the next line comes.
    void armFlush()
    {
        const qint64 next = collapser.nextEndMs();
        if (flushArmed || next < 0 || !QCoreApplication::instance())
            return;
        flushArmed = true;
        QTimer::singleShot(std::max<qint64>(0, next - clock.elapsed()), QCoreApplication::instance(), [this] {
            flushArmed = false;
            collapser.flush(clock.elapsed());
            armFlush();
        });
    }
};

ProcessLog &processLog()
{
    static ProcessLog log;
    return log;
}

} // namespace

void logLine(const QString &text, bool collapse)
{
    if (!collapse) {
        writeLine(text);
        return;
    }
    ProcessLog &log = processLog();
    log.collapser.line(text, log.clock.elapsed());
    log.armFlush();
}

void flushLog()
{
    ProcessLog &log = processLog();
    log.collapser.flush(log.clock.elapsed(), true);
}
