#include "BusMonitor.h"

#include "ChildWindow.h"
#include "Messages.h"
#include "ScreenPlacement.h"
#include "WindowSkin.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEvent>
#include <QSaveFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QString word(Word word, Language lang)
{
    return text(word, lang);
}

} // namespace

BusMonitor::BusMonitor(const MotorLink &link, QWidget *mainWindow)
    : QWidget(nullptr, Qt::Window), m_log([&link] { return link.msSincePortOpened(); }), m_filter(this),
      m_mainWindow(mainWindow)
{
    connect(&link, &MotorLink::frameSent, this, &BusMonitor::frameSent);
    connect(&link, &MotorLink::frameReceived, this, &BusMonitor::frameReceived);
    connect(&link, &MotorLink::bytesDiscarded, this, &BusMonitor::bytesDiscarded);
    connect(&link, &MotorLink::portEvent, this, &BusMonitor::portEvent);
    setObjectName(QStringLiteral("BusMonitor"));
    setAttribute(Qt::WA_StyledBackground);
    m_filter.setSourceModel(&m_log);

    auto button = [this](const char *name) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    m_pause = button("PauseButton");
    m_pause->setCheckable(true);
    QPushButton *clear = button("ClearButton");
    QPushButton *saveButton = button("SaveButton");
    QPushButton *exitButton = button("MonitorExitButton");
    m_hidePolls = new QCheckBox(this);
    m_hidePolls->setObjectName(QStringLiteral("HidePollsBox"));

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("Rows"));
    m_table->setModel(&m_filter);
    m_table->setAlternatingRowColors(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->setShowGrid(false);
    // Fixed row heights and column widths: nothing is measured per row, so a
    // full table costs what an empty one does.
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    QHeaderView *columns = m_table->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Interactive);
    columns->setStretchLastSection(true);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    columns->resizeSection(MonitorLog::Time, digit * 10);
    columns->resizeSection(MonitorLog::Direction, digit * 9);
    columns->resizeSection(MonitorLog::Bytes, digit * 32);

    m_counts = new QLabel(this);
    m_counts->setObjectName(QStringLiteral("CountsLabel"));
    m_lastAnswer = new QLabel(this);
    m_lastAnswer->setObjectName(QStringLiteral("LastAnswerLabel"));

    auto *tools = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *> {m_pause, clear, m_hidePolls, saveButton})
        tools->addWidget(w);
    tools->addStretch();
    auto *status = new QHBoxLayout;
    status->addWidget(m_counts);
    status->addStretch();
    status->addWidget(m_lastAnswer);
    status->addWidget(exitButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(m_table, 1);
    layout->addLayout(status);
    resize(UsualSize);

    connect(m_pause, &QPushButton::toggled, &m_log, &MonitorLog::setPaused);
    connect(clear, &QPushButton::clicked, &m_log, &MonitorLog::clear);
    connect(m_hidePolls, &QCheckBox::toggled, &m_filter, &StatusTrafficFilter::setHideStatus);
    connect(saveButton, &QPushButton::clicked, this, &BusMonitor::save);
    connect(exitButton, &QPushButton::clicked, this, &QWidget::close);
    connect(&m_log, &MonitorLog::rowsAboutToBeInserted, this, [this] {
        // Follow the newest rows only when the view is already at the bottom.
        QScrollBar *bar = m_table->verticalScrollBar();
        m_followPending = bar->value() == bar->maximum();
    });
    connect(&m_log, &MonitorLog::flushed, this, [this] {
        showCounts();
        if (m_followPending)
            m_table->scrollToBottom();
        m_followPending = false;
    });
    m_lastAnswerTimer.setInterval(500);
    connect(&m_lastAnswerTimer, &QTimer::timeout, this, &BusMonitor::showCounts);

    chooseSaveFile = [](QWidget *parent) {
        const Language lang = static_cast<BusMonitor *>(parent)->m_log.language();
        return QFileDialog::getSaveFileName(parent, word(Word::MonSaveTitle, lang), QString(),
                                            word(Word::MonSaveFilter, lang));
    };

    WindowSkin::apply(this);
    applyCaptions();
    showCounts();
}

void BusMonitor::open()
{
    if (!m_placed) {
        m_placed = true;
        placeOnFirstOpening();
    }
    m_lastAnswerTimer.start();
    // In front of the main window as the other child windows are, while the
    // main window stays usable.
    showInFrontOf(*this, m_mainWindow);
}

// Beside the main window when the screen has room for it there, else as
// near its usual size and place as the screen's free area allows.
void BusMonitor::placeOnFirstOpening()
{
    QScreen *screen = m_mainWindow && m_mainWindow->screen() ? m_mainWindow->screen()
                                                             : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    resize(UsualSize.boundedTo(room.size() - FrameAllowance).expandedTo(minimumSizeHint()));
    if (m_mainWindow) {
        const QPoint right = m_mainWindow->frameGeometry().topRight() + QPoint(8, 0);
        if (room.contains(QRect(right, size() + FrameAllowance))) {
            move(right);
            return;
        }
    }
    placeOnScreen(this, m_mainWindow ? m_mainWindow->pos() : room.topLeft(), size());
}

// The keys go back to the main window, also without a window manager.
void BusMonitor::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (m_mainWindow && m_mainWindow->isVisible())
        m_mainWindow->activateWindow();
}

void BusMonitor::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

bool BusMonitor::saveTo(const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        Messages::show(word(Word::MonSaveFailed, m_log.language()).arg(path), Messages::Kind::Error);
        return false;
    }
    QByteArray out;
    for (int r = 0; r < m_filter.rowCount(); ++r) {
        const MonitorLog::Row &row = m_log.row(m_filter.mapToSource(m_filter.index(r, 0)).row());
        QStringList cells;
        for (int c = 0; c < MonitorLog::ColumnCount; ++c)
            cells << m_log.cell(row, c);
        out += cells.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    if (file.write(out) != out.size() || !file.commit()) {
        Messages::show(word(Word::MonSaveFailed, m_log.language()).arg(path), Messages::Kind::Error);
        return false;
    }
    return true;
}

void BusMonitor::save()
{
    const QString path = chooseSaveFile ? chooseSaveFile(this) : QString();
    if (!path.isEmpty())
        saveTo(path);
}

void BusMonitor::frameSent(const QByteArray &bytes)
{
    if (isVisible())
        m_log.frameSent(bytes);
}

void BusMonitor::frameReceived(const QByteArray &bytes)
{
    if (isVisible())
        m_log.frameReceived(bytes);
}

void BusMonitor::bytesDiscarded(const QByteArray &bytes, MotorLink::Discard why, qint64 count)
{
    if (isVisible())
        m_log.bytesDiscarded(bytes, why, count);
}

void BusMonitor::portEvent(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond)
{
    if (isVisible())
        m_log.portEvent(event, portName, bitsPerSecond);
}

void BusMonitor::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        bool ok = false;
        const int lang = property("language").toInt(&ok);
        if (ok) {
            m_log.setLanguage(Language(lang));
            showCounts();
        }
    }
    QWidget::changeEvent(event);
}

void BusMonitor::hideEvent(QHideEvent *event)
{
    m_lastAnswerTimer.stop();
    QWidget::hideEvent(event);
}

// The start language's captions; later ones come from applyLanguage.
void BusMonitor::applyCaptions()
{
    for (const LanguageRow &row : languageRows())
        if (row.window == Window::Monitor && row.property == Property::Caption) {
            QObject *target = *row.objectName ? findChild<QObject *>(QLatin1String(row.objectName)) : this;
            setCaption(target, QString::fromUtf8(row.value(m_log.language())));
        }
}

void BusMonitor::showCounts()
{
    const Language lang = m_log.language();
    m_counts->setText(
        word(Word::MonCounts, lang).arg(m_log.framesSent()).arg(m_log.answersReceived()).arg(m_log.invalidBytes()));
    const auto since = m_log.sinceLastAnswer();
    m_lastAnswer->setText(since ? word(Word::MonLastAnswer, lang).arg(double(*since) / 1000.0, 0, 'f', 1)
                                : word(Word::MonNoAnswer, lang));
}
