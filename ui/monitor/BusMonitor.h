// The bus monitor: a companion window that shows every frame on the line,
// decoded, while the panel and the settings windows go on working.
//
// Unlike the secondary windows it leaves the main window enabled.  It
// records only while it is shown; the rows live in a MonitorLog (the last
// 10,000), shown through a filter that can hide the status polls and their
// answers.  Its captions follow the language menu (applyLanguage applies
// its caption rows and then tells it the language, see LanguageTable.h).
#pragma once

#include "MonitorLog.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

class BusMonitor : public QWidget {
    Q_OBJECT
public:
    // A top-level window of its own: as a child of the main window it would
    // be disabled with it while a secondary window is open.  mainWindow is
    // where it opens beside.  It shows the link's wire signals, timed from
    // the link's last port opening.
    explicit BusMonitor(const MotorLink &link, QWidget *mainWindow = nullptr);

    // Shows it (beside the main window the first time, within the screen),
    // raised, in front of the main window.
    void open();
    // Writes the rows the table shows, one line per row, columns separated by
    // tabs; false (after a message) when the file cannot be written.
    bool saveTo(const QString &path);

    MonitorLog &log() { return m_log; }
    const StatusTrafficFilter &shown() const { return m_filter; }

    // Asks where to save; an empty name cancels.  A file dialog unless
    // replaced (tests).
    std::function<QString(QWidget *parent)> chooseSaveFile;

    // The wire signals; nothing is recorded while the window is hidden.
    void frameSent(const QByteArray &bytes);
    void frameReceived(const QByteArray &bytes);
    void bytesDiscarded(const QByteArray &bytes, MotorLink::Discard why, qint64 count);
    void portEvent(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond);

protected:
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Escape closes it, as its exit button does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    static constexpr QSize UsualSize {900, 520};

    void placeOnFirstOpening();
    void applyCaptions();
    void showCounts();
    void save();

    MonitorLog m_log;
    StatusTrafficFilter m_filter;
    QTableView *m_table;
    QPushButton *m_pause;
    QCheckBox *m_hidePolls;
    QLabel *m_counts;
    QLabel *m_lastAnswer;
    QTimer m_lastAnswerTimer;
    QWidget *const m_mainWindow;
    bool m_placed = false;
    bool m_followPending = false;
};
