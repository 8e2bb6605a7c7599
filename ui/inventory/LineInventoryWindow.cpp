#include "LineInventoryWindow.h"

#include "ChannelNumbers.h"
#include "FocusRing.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { IdColumn, ChannelsColumn, RateColumn, PositionColumn };
constexpr Word ColumnWords[] = {Word::InvColId, Word::InvColChannels, Word::InvColRate, Word::InvColPosition};

// Each row keeps its entry: ID, channels word, rate, position (-1 unknown), collision.
enum Role { IdRole = Qt::UserRole, ChannelsRole, RateRole, PositionRole, CollisionRole };

} // namespace

LineInventoryWindow::LineInventoryWindow(MotorLink &link, QWidget *mainWindow)
    : QDialog(mainWindow), m_link(link), m_inventory(link), m_status(new QLabel(this)), m_list(new QTreeWidget(this)),
      m_search(new QPushButton(this)), m_stop(new QPushButton(this)), m_choose(new QPushButton(this))
{
    setObjectName(QStringLiteral("LineInventoryWindow"));
    setWindowModality(Qt::WindowModal);
    m_status->setObjectName(QStringLiteral("InventoryStatus"));
    m_list->setObjectName(QStringLiteral("InventoryList"));
    m_search->setObjectName(QStringLiteral("InventorySearch"));
    m_stop->setObjectName(QStringLiteral("InventoryStop"));
    m_choose->setObjectName(QStringLiteral("InventoryChoose"));
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
    buttons->addStretch();
    buttons->addWidget(m_choose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_list);
    layout->addLayout(buttons);
    setTabOrder(m_list, m_choose);
    setTabOrder(m_choose, m_search);
    setTabOrder(m_search, m_stop);
    resize(520, 360);

    connect(m_search, &QPushButton::clicked, this, &LineInventoryWindow::search);
    connect(m_stop, &QPushButton::clicked, &m_inventory, &LineInventory::cancel);
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
    m_search->setText(word(Word::InvSearch));
    m_stop->setText(word(Word::InvStop));
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
}

void LineInventoryWindow::openAndSearch()
{
    show();
    raise();
    activateWindow();
    search();
}

void LineInventoryWindow::search()
{
    if (m_inventory.running())
        return;
    m_list->clear();
    m_statusWord = m_inventory.start(m_scope) ? std::nullopt : std::optional(Word::InvNoPort);
    m_statusArgs.clear();
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
    m_statusWord = Word::InvProgress;
    m_statusArgs = {QString::number(done), QString::number(total), QString::number(id), QString::number(motors)};
    applyTexts();
}

void LineInventoryWindow::showEnd(bool complete)
{
    const int motors = m_inventory.motorsFound();
    m_statusWord = complete ? Word::InvDone : Word::InvStopped;
    m_statusArgs = {QString::number(motors), QString::number(m_inventory.found().size() - motors)};
    applyTexts();
    updateButtons();
}

void LineInventoryWindow::updateButtons()
{
    const bool running = m_inventory.running();
    m_search->setEnabled(!running);
    m_stop->setEnabled(running);
    const QTreeWidgetItem *item = m_list->currentItem();
    m_choose->setEnabled(!running && item && item->isSelected());
}

void LineInventoryWindow::chooseSelected()
{
    const QTreeWidgetItem *item = m_list->currentItem();
    if (m_inventory.running() || !item || !item->isSelected() || item->data(IdColumn, CollisionRole).toBool())
        return;
    ChannelMask channels;
    channels.setWord(std::uint16_t(item->data(IdColumn, ChannelsRole).toInt()));
    emit motorChosen({item->data(IdColumn, IdRole).toInt(), channels}, item->data(IdColumn, RateRole).toInt());
    accept();
}

void LineInventoryWindow::reject()
{
    m_inventory.cancel();
    QDialog::reject();
}
