#include "LineInventoryWindow.h"

#include "ChannelNumbers.h"
#include "FocusRing.h"
#include "InventoryOptions.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { IdColumn, ChannelsColumn, RateColumn, PositionColumn };
constexpr Word ColumnWords[] = {Word::InvColId, Word::InvColChannels, Word::InvColRate, Word::InvColPosition};

// Each row keeps its entry: ID, channels word, rate, position (-1 unknown), collision.
enum Role { IdRole = Qt::UserRole, ChannelsRole, RateRole, PositionRole, CollisionRole };

// "m:ss" of a number of transmit ticks.
QString minutesAndSeconds(int ticks)
{
    const int seconds = (ticks * MotorLink::TickMs + 999) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

template <typename W> W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

LineInventoryWindow::LineInventoryWindow(MotorLink &link, QWidget *mainWindow)
    : QDialog(mainWindow), m_inventory(link), m_options(named(new InventoryOptions(this), "InventoryOptions")),
      m_status(named(new QLabel(this), "InventoryStatus")),
      m_progress(named(new QProgressBar(this), "InventoryProgress")),
      m_list(named(new QTreeWidget(this), "InventoryList")), m_search(named(new QPushButton(this), "InventorySearch")),
      m_stop(named(new QPushButton(this), "InventoryStop")),
      m_continue(named(new QPushButton(this), "InventoryContinue")),
      m_choose(named(new QPushButton(this), "InventoryChoose"))
{
    setObjectName(QStringLiteral("LineInventoryWindow"));
    setWindowModality(Qt::WindowModal);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_list->setColumnCount(4);
    m_list->setRootIsDecorated(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setStretchLastSection(true);
    m_choose->setDefault(true); // Enter chooses the selected motor
    new FocusRing(this);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_search);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_continue);
    buttons->addStretch();
    buttons->addWidget(m_choose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_options);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    setTabOrder(m_list, m_choose);
    setTabOrder(m_choose, m_search);
    setTabOrder(m_search, m_stop);
    setTabOrder(m_stop, m_continue);
    resize(560, 480);

    connect(m_search, &QPushButton::clicked, this, &LineInventoryWindow::search);
    connect(m_stop, &QPushButton::clicked, &m_inventory, &LineInventory::cancel);
    connect(m_continue, &QPushButton::clicked, this, &LineInventoryWindow::goOn);
    connect(m_options, &InventoryOptions::changed, this, &LineInventoryWindow::updateButtons);
    connect(&link, &MotorLink::ticked, this, &LineInventoryWindow::showTimeLeft);
    connect(m_choose, &QPushButton::clicked, this, &LineInventoryWindow::chooseSelected);
    connect(m_list, &QTreeWidget::itemActivated, this, &LineInventoryWindow::chooseSelected);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &LineInventoryWindow::updateButtons);
    connect(&m_inventory, &LineInventory::entryFound, this, &LineInventoryWindow::addEntry);
    connect(&m_inventory, &LineInventory::progress, this, &LineInventoryWindow::showProgress);
    connect(&m_inventory, &LineInventory::probingRate, this, [this](int rate) {
        m_statusWord = Word::InvListening;
        m_statusArgs = {QString::number(rate)};
        applyTexts();
    });
    connect(&m_inventory, &LineInventory::finished, this, &LineInventoryWindow::showEnd);
    applyTexts();
    updateButtons();
}

// A search still running or paused ends with the inventory, after this
// window's texts are gone: it tells nobody here.
LineInventoryWindow::~LineInventoryWindow()
{
    disconnect(&m_inventory, nullptr, this, nullptr);
}

QString LineInventoryWindow::word(Word word) const
{
    return text(word, m_language);
}

void LineInventoryWindow::setLanguage(Language language)
{
    m_language = language;
    applyTexts();
}

void LineInventoryWindow::applyTexts()
{
    setWindowTitle(word(Word::InvTitle));
    m_options->applyTexts(m_language);
    m_search->setText(word(m_searched ? Word::InvSearch : Word::InvSearchStart));
    m_stop->setText(word(Word::InvStop));
    m_continue->setText(word(Word::InvContinue));
    m_choose->setText(word(Word::InvChoose));
    QStringList headers;
    for (Word w : ColumnWords)
        headers << word(w);
    m_list->setHeaderLabels(headers);
    for (int i = 0; i < m_list->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_list->topLevelItem(i);
        const int position = item->data(IdColumn, PositionRole).toInt();
        item->setText(PositionColumn,
                      item->data(IdColumn, CollisionRole).toBool() ? word(Word::InvCollision)
                          : position < 0                           ? word(Word::InvUnknown)
                                                                   : QStringLiteral("%1 %").arg(position));
    }
    QString status = m_statusWord ? word(*m_statusWord) : QString();
    for (const QString &a : std::as_const(m_statusArgs))
        status = status.arg(a);
    m_status->setText(status);
    showTimeLeft();
}

void LineInventoryWindow::setScope(const LineInventory::Scope &scope)
{
    m_scope = scope;
    m_options->setScope(scope);
}

void LineInventoryWindow::showForSearch()
{
    if (!m_inventory.running() && !m_inventory.paused())
        m_options->setScope(m_scope); // what was last used, not what was left unsearched
    updateButtons();
    show();
    raise();
    activateWindow();
    (m_inventory.paused() ? m_continue : m_search)->setFocus();
}

void LineInventoryWindow::search()
{
    if (m_inventory.running() || !m_options->complete())
        return;
    m_inventory.cancel(); // a paused search gives way to the new one
    m_scope = m_options->scope(m_scope);
    m_searched = true;
    m_list->clear();
    m_progress->setRange(0, 0); // busy until the rates to search are known
    const bool started = m_inventory.start(m_scope);
    if (!started)
        m_progress->setRange(0, 1);
    m_statusWord = started ? std::nullopt : std::optional(Word::InvNoPort);
    m_statusArgs.clear();
    applyTexts();
    updateButtons();
    m_list->setFocus();
}

void LineInventoryWindow::goOn()
{
    if (!m_inventory.resume()) {
        if (m_inventory.paused()) { // the port is away: the search waits for it
            m_statusWord = Word::InvNoPort;
            m_statusArgs.clear();
            applyTexts();
        }
        return;
    }
    m_statusWord = m_wordBeforePause;
    m_statusArgs = m_argsBeforePause;
    applyTexts();
    updateButtons();
    m_list->setFocus();
}

void LineInventoryWindow::addEntry(const LineInventory::Entry &e)
{
    auto *item = new QTreeWidgetItem(m_list);
    item->setText(IdColumn, QString::number(e.id));
    item->setText(ChannelsColumn, channelNumbersText(e.channels));
    item->setText(RateColumn, QStringLiteral("%1 bps").arg(e.rate));
    item->setData(IdColumn, IdRole, e.id);
    item->setData(IdColumn, ChannelsRole, int(e.channels.word()));
    item->setData(IdColumn, RateRole, e.rate);
    item->setData(IdColumn, PositionRole, e.position.value_or(-1));
    item->setData(IdColumn, CollisionRole, e.collision);
    // A spot where motors answer at once is listed, not chosen: it is no one motor.
    if (e.collision)
        item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
    applyTexts();
    if (!m_list->currentItem() && !e.collision)
        m_list->setCurrentItem(item);
}

void LineInventoryWindow::showProgress(int done, int total, int id, int motors)
{
    m_progress->setRange(0, total);
    m_progress->setValue(done);
    m_statusWord = Word::InvProgress;
    m_statusArgs = {QString::number(done), QString::number(total), QString::number(id), QString::number(motors)};
    applyTexts();
}

// Each transmit tick: the ticks the search still needs, in minutes and seconds.
void LineInventoryWindow::showTimeLeft()
{
    m_progress->setTextVisible(m_searched);
    m_progress->setFormat(word(Word::InvTimeLeft).arg(minutesAndSeconds(m_inventory.ticksLeft())));
}

void LineInventoryWindow::showEnd(bool complete)
{
    if (complete)
        m_progress->setRange(0, std::max(m_progress->maximum(), 1));
    m_progress->setValue(complete ? m_progress->maximum() : std::max(m_progress->value(), 0));
    showCounts(complete ? Word::InvDone : Word::InvStopped);
    updateButtons();
}

// A status that counts the motors and the collisions found.
void LineInventoryWindow::showCounts(Word word)
{
    const int motors = m_inventory.motorsFound();
    m_statusWord = word;
    m_statusArgs = {QString::number(motors), QString::number(m_inventory.found().size() - motors)};
    applyTexts();
}

void LineInventoryWindow::updateButtons()
{
    const bool running = m_inventory.running(), paused = m_inventory.paused();
    m_options->setEnabled(!running && !paused);
    m_search->setEnabled(!running && m_options->complete());
    m_stop->setEnabled(running || paused);
    m_continue->setEnabled(paused);
    const QTreeWidgetItem *item = m_list->currentItem();
    m_choose->setEnabled(item && item->isSelected());
}

// A motor chosen while the search runs pauses it: the panel gets the link
// back and moves to the motor, and the search can go on later.
void LineInventoryWindow::chooseSelected()
{
    const QTreeWidgetItem *item = m_list->currentItem();
    if (!item || !item->isSelected() || item->data(IdColumn, CollisionRole).toBool())
        return;
    if (m_inventory.running()) {
        m_wordBeforePause = m_statusWord;
        m_argsBeforePause = m_statusArgs;
        m_inventory.pause();
        showCounts(Word::InvPaused);
        updateButtons();
    }
    ChannelMask channels;
    channels.setWord(std::uint16_t(item->data(IdColumn, ChannelsRole).toInt()));
    emit motorChosen({item->data(IdColumn, IdRole).toInt(), channels}, item->data(IdColumn, RateRole).toInt());
    accept();
}

void LineInventoryWindow::reject()
{
    if (m_inventory.running())
        m_inventory.cancel();
    QDialog::reject();
}
