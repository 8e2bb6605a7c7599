// The bus monitor's rows: every frame sent and received, every dropped run of
// bytes and every port event, as a bounded table model.
//
// Rows are recorded as they come and shown in batches (flush(), run by a
// quarter-second timer), so a busy line costs one model insert and one
// repaint per batch, not one per frame.  Paused, rows are kept back and shown on resume.  Only the last
// `limit` rows are shown; older ones drop off the top at the next flush.
// Rows kept back are bounded by `limit` too (more could not be shown), so
// memory never holds more than twice `limit` rows, and that only while paused.
// A row keeps its bytes; its words are decoded when first shown, in the
// current language, and kept until the language changes.
#pragma once

#include "LanguageTable.h"
#include "MotorLink.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QSortFilterProxyModel>
#include <QTimer>

#include <deque>
#include <functional>
#include <optional>

class MonitorLog : public QAbstractTableModel {
    Q_OBJECT
public:
    enum class Kind { Sent, Received, Discarded, Port };
    struct Row {
        qint64 ms = 0; // since the port was opened (the clock's reading)
        Kind kind = Kind::Sent;
        QByteArray bytes; // the frame or the dropped bytes; empty for a port event
        int detail = 0; // MotorLink::Discard or MotorLink::PortEvent
        int bps = 0; // of a port event
        qint64 count = 0; // of dropped bytes (a flood's are not read)
        QString port; // of a port event
        // The meaning, decoded when first shown, in cachedLanguage.
        mutable QString meaning;
        mutable int cachedLanguage = -1;

        static Row of(Kind kind, const QByteArray &bytes = {})
        {
            Row row;
            row.kind = kind;
            row.bytes = bytes;
            return row;
        }
    };
    enum Column { Time, Direction, Bytes, Meaning, ColumnCount };
    static constexpr int DefaultLimit = 10000;
    static constexpr int FlushMs = 250;

    // clock: milliseconds since the port was opened (MotorLink::msSincePortOpened).
    explicit MonitorLog(std::function<qint64()> clock, int limit = DefaultLimit, QObject *parent = nullptr);

    // --- recording: the link's wire signals ------------------------------------
    void frameSent(const QByteArray &bytes);
    void frameReceived(const QByteArray &bytes);
    void bytesDiscarded(const QByteArray &bytes, MotorLink::Discard why, qint64 count);
    void portEvent(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond);

    // --- what is shown -----------------------------------------------------------
    void flush(); // shows what arrived since (nothing while paused)
    void setPaused(bool paused); // resuming shows everything kept back
    bool paused() const { return m_paused; }
    int heldBack() const { return int(m_incoming.size()); }
    void clear(); // rows, kept-back rows and counts
    void setLanguage(Language lang);
    Language language() const { return m_lang; }

    const Row &row(int i) const { return m_rows[std::size_t(i)]; }
    QString cell(const Row &row, int column) const;

    // --- counts since the last clear ---------------------------------------------
    qint64 framesSent() const { return m_sent; }
    qint64 answersReceived() const { return m_answers; }
    qint64 invalidBytes() const { return m_invalidBytes; }
    // Milliseconds since the last valid answer; none before the first.
    std::optional<qint64> sinceLastAnswer() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    void flushed(); // rows were shown or counts changed

private:
    void record(Row row);
    static QString meaning(const Row &row, Language lang);

    std::function<qint64()> m_clock;
    int m_limit;
    std::deque<Row> m_rows; // shown
    std::deque<Row> m_incoming; // not shown yet
    QTimer m_flushTimer;
    bool m_paused = false;
    Language m_lang = Language::SimplifiedChinese;
    qint64 m_sent = 0, m_answers = 0, m_invalidBytes = 0;
    std::optional<qint64> m_lastAnswer;
};

// Hides the status polls and their answers when asked.
class StatusTrafficFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setHideStatus(bool hide);
    bool hidesStatus() const { return m_hide; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    bool m_hide = false;
};
