#include "Output.h"

#include "CliText.h"

#include <QDateTime>
#include <QJsonDocument>

Output::Output(QTextStream &out, QTextStream &err, bool json, bool quiet)
    : m_out(out), m_err(err), m_json(json), m_quiet(quiet)
{
}

bool Output::openLog(const QString &path, const QString &commandLine, QString &error)
{
    m_logFile.setFileName(path);
    if (!m_logFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        error = m_logFile.errorString();
        return false;
    }
    m_log.setDevice(&m_logFile);
    log(QStringLiteral("# %1  %2").arg(QDateTime::currentDateTime().toString(Qt::ISODate), commandLine));
    return true;
}

void Output::say(const QString &text, bool chatter)
{
    log(text);
    if (m_json || (chatter && m_quiet))
        return;
    m_out << text << '\n';
    flush(m_out, ::say(CliText::CliStandardOutput));
}

void Output::record(const char *type, const QJsonObject &fields)
{
    if (!m_json)
        return;
    QJsonObject o = fields;
    o.insert(QStringLiteral("type"), QLatin1String(type));
    m_out << QJsonDocument(o).toJson(QJsonDocument::Compact) << '\n';
    flush(m_out, ::say(CliText::CliStandardOutput));
}

void Output::error(const QString &text, const QJsonObject &fields)
{
    log(text);
    m_err << text << '\n';
    m_err.flush();
    QJsonObject o = fields;
    o.insert(QStringLiteral("message"), text);
    record(Record::Error, o);
}

void Output::progress(int n, int total, const QString &motor)
{
    if (!m_progress || m_quiet)
        return;
    m_err << QStringLiteral("[%1/%2] %3").arg(n).arg(total).arg(motor) << '\n';
    m_err.flush();
}

void Output::wire(const WireLine &line, bool shown)
{
    log(line.text());
    if (!shown)
        return;
    if (!m_json) {
        m_out << line.text() << '\n';
        flush(m_out, ::say(CliText::CliStandardOutput));
    }
    record(Record::Frame, line.json());
}

void Output::log(const QString &line)
{
    if (!m_logFile.isOpen())
        return;
    m_log << line << '\n';
    flush(m_log, m_logFile.fileName());
}

void Output::flush(QTextStream &stream, const QString &name)
{
    stream.flush();
    if (stream.status() == QTextStream::Ok || !m_failure.isEmpty())
        return;
    const QFileDevice *file = qobject_cast<QFileDevice *>(stream.device());
    m_failure = ::say(CliText::CliOutputFailed).arg(name, file ? file->errorString() : QString());
    if (m_writeFailed)
        m_writeFailed(m_failure);
}
