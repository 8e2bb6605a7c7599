#include "MonitorLog.h"

#include "FrameText.h"
#include "WindowSkin.h"

#include <QColor>
#include <QFont>

MonitorLog::MonitorLog(std::function<qint64()> clock, int limit, QObject *parent)
    : QAbstractTableModel(parent), m_clock(std::move(clock)), m_limit(limit)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(FlushMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &MonitorLog::flush);
}

void MonitorLog::frameSent(const QByteArray &bytes)
{
    ++m_sent;
    record(Row::of(Kind::Sent, bytes));
}

void MonitorLog::frameReceived(const QByteArray &bytes)
{
    ++m_answers;
    m_lastAnswer = m_clock();
    record(Row::of(Kind::Received, bytes));
}

void MonitorLog::bytesDiscarded(const QByteArray &bytes, MotorLink::Discard why, qint64 count)
{
    m_invalidBytes += count;
    Row row = Row::of(Kind::Discarded, bytes);
    row.detail = int(why);
    row.count = count;
    record(row);
}

void MonitorLog::portEvent(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond)
{
    Row row = Row::of(Kind::Port);
    row.detail = int(event);
    row.bps = bitsPerSecond;
    row.port = portName;
    record(row);
}

void MonitorLog::record(Row row)
{
    row.ms = m_clock();
    m_incoming.push_back(std::move(row));
    // Whatever would drop off the top at the next flush goes now.
    if (int(m_incoming.size()) > m_limit)
        m_incoming.pop_front();
    if (!m_paused && !m_flushTimer.isActive())
        m_flushTimer.start();
}

void MonitorLog::flush()
{
    if (m_paused)
        return;
    if (!m_incoming.empty()) {
        const int n = int(m_incoming.size());
        const int drop = std::min(int(m_rows.size()) + n - m_limit, int(m_rows.size()));
        if (drop > 0) {
            beginRemoveRows({}, 0, drop - 1);
            m_rows.erase(m_rows.begin(), m_rows.begin() + drop);
            endRemoveRows();
        }
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size()) + n - 1);
        std::move(m_incoming.begin(), m_incoming.end(), std::back_inserter(m_rows));
        m_incoming.clear();
        endInsertRows();
    }
    emit flushed();
}

void MonitorLog::setPaused(bool paused)
{
    m_paused = paused;
    if (!paused)
        flush();
}

void MonitorLog::clear()
{
    beginResetModel();
    m_rows.clear();
    m_incoming.clear();
    endResetModel();
    m_sent = m_answers = m_invalidBytes = 0;
    emit flushed();
}

void MonitorLog::setLanguage(Language lang)
{
    if (lang == m_lang)
        return;
    m_lang = lang;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
    if (!m_rows.empty())
        emit dataChanged(index(0, Direction), index(rowCount() - 1, Meaning));
    emit flushed();
}

std::optional<qint64> MonitorLog::sinceLastAnswer() const
{
    if (!m_lastAnswer)
        return std::nullopt;
    return m_clock() - *m_lastAnswer;
}

QString MonitorLog::cell(const Row &row, int column) const
{
    auto word = [this](Word word) { return text(word, m_lang); };
    switch (column) {
    case Time: return QString::number(row.ms);
    case Direction:
        switch (row.kind) {
        case Kind::Sent: return word(Word::MonSent);
        case Kind::Received:
        case Kind::Discarded: return word(Word::MonReceived);
        case Kind::Port: return word(Word::MonPort);
        }
        break;
    case Bytes: return FrameText::hex(row.bytes);
    case Meaning:
        if (row.cachedLanguage != int(m_lang)) {
            row.meaning = meaning(row, m_lang);
            row.cachedLanguage = int(m_lang);
        }
        return row.meaning;
    }
    return {};
}

QString MonitorLog::meaning(const Row &row, Language lang)
{
    switch (row.kind) {
    case Kind::Sent: return FrameText::sent(row.bytes, lang);
    case Kind::Received: return FrameText::received(row.bytes, lang);
    case Kind::Discarded: return FrameText::discarded(MotorLink::Discard(row.detail), row.count, lang);
    case Kind::Port: return FrameText::port(MotorLink::PortEvent(row.detail), row.port, row.bps, lang);
    }
    return {};
}

int MonitorLog::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int MonitorLog::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant MonitorLog::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row &r = row(index.row());
    switch (role) {
    case Qt::DisplayRole: return cell(r, index.column());
    case Qt::ToolTipRole: // a long report is cut at the window's edge
        return index.column() == Meaning ? QVariant(cell(r, Meaning)) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == Time ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ForegroundRole:
        // Dropped bytes stand out: they are what a wiring fault looks like.
        if (r.kind == Kind::Discarded)
            return QColor(QLatin1String(WindowSkin::NoteColour));
        if (r.kind == Kind::Port)
            return QColor(QLatin1String(WindowSkin::AccentColour));
        return {};
    case Qt::FontRole:
        if (index.column() == Bytes) {
            static const QFont mono = [] {
                QFont f(QStringLiteral("monospace"));
                f.setStyleHint(QFont::Monospace);
                return f;
            }();
            return mono;
        }
        return {};
    default: return {};
    }
}

QVariant MonitorLog::headerData(int section, Qt::Orientation orientation, int role) const
{
    static constexpr Word names[] = {Word::MonColTime, Word::MonColDirection, Word::MonColBytes, Word::MonColMeaning};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return text(names[section], m_lang);
}

void StatusTrafficFilter::setHideStatus(bool hide)
{
    if (hide == m_hide)
        return;
    m_hide = hide;
    invalidateRowsFilter();
}

bool StatusTrafficFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (!m_hide)
        return true;
    const auto *log = static_cast<const MonitorLog *>(sourceModel());
    const MonitorLog::Row &r = log->row(sourceRow);
    const bool frame = r.kind == MonitorLog::Kind::Sent || r.kind == MonitorLog::Kind::Received;
    return !(frame && FrameText::isStatusTraffic(r.bytes));
}
