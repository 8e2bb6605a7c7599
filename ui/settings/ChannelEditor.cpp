#include "ChannelEditor.h"

#include "IdList.h"
#include "Messages.h"
#include "MotorSettings.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

constexpr int GroupWidth = 217;
constexpr int ButtonSize = 25;
constexpr int Pitch = 24;
constexpr int RowY[2] = {34, 58};
constexpr int FirstX = 12;

// Selected: the green of the main window's channel pictures with white bold
// text; unselected: the slate of its idle channel pictures.
const char *const SelectedLook =
    "QPushButton { color: white; font-weight: bold; padding: 0; border: 1px solid #5ee08f; border-radius: 4px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #23a85a, stop:1 #127238); }";
const char *const UnselectedLook =
    "QPushButton { color: #c9d6e8; font-weight: normal; padding: 0; border: 1px solid #46597c; border-radius: 4px;"
    " background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #34465f, stop:1 #222f45); }"
    "QPushButton:hover { border-color: #38bdf8; }";

} // namespace

ChannelEditor::ChannelEditor(MotorLink &link, const MessageTexts &texts, QWidget *parent, QPoint idBoxAt,
                             QPoint channelBoxAt)
    : QObject(parent), m_link(link), m_texts(texts)
{
    m_idBox = new QGroupBox(parent);
    m_idBox->setObjectName(QStringLiteral("bsSkinGroupBox2"));
    m_idBox->setGeometry(idBoxAt.x(), idBoxAt.y(), GroupWidth, 68);

    m_idList = new QComboBox(m_idBox);
    m_idList->setObjectName(QStringLiteral("ComboBox1"));
    m_idList->setGeometry(FirstX, 28, GroupWidth - 2 * FirstX, 26);
    m_idList->addItem(QStringLiteral("群控"), 0);
    for (int id = 1; id <= MotorSettings::MaxId; ++id)
        m_idList->addItem(QString::number(id), id);
    m_idList->setCurrentIndex(0);
    IdList::setUp(m_idList); // 8 rows; digits only
    connect(m_idList, &QComboBox::currentTextChanged, this, &ChannelEditor::onIdChosen);

    m_channelBox = new QGroupBox(parent);
    m_channelBox->setObjectName(QStringLiteral("bsSkinGroupBox1"));
    m_channelBox->setGeometry(channelBoxAt.x(), channelBoxAt.y(), GroupWidth, 127);
    for (int n = 1; n <= Channels; ++n) {
        auto *b = new QPushButton(QString::number(n), m_channelBox);
        b->setObjectName(QStringLiteral("bsSkinSpeedButton%1").arg(n));
        b->setGeometry(FirstX + ((n - 1) % 8) * Pitch, RowY[(n - 1) / 8], ButtonSize, ButtonSize);
        connect(b, &QPushButton::clicked, this, [this, n] { toggleChannel(n); });
        m_buttons[n - 1] = b;
    }
    m_allChannels = new QPushButton(m_channelBox);
    m_allChannels->setObjectName(QStringLiteral("bsSkinSpeedButton33"));
    m_allChannels->setGeometry(FirstX, 90, 7 * Pitch + ButtonSize, ButtonSize);
    connect(m_allChannels, &QPushButton::clicked, this, &ChannelEditor::toggleAllChannels);

    refreshChannelButtons();
}

bool ChannelEditor::idEmpty() const
{
    return m_idList->currentText().isEmpty();
}

void ChannelEditor::setGroupCaption(const QString &caption)
{
    const QSignalBlocker quiet(m_idList);
    m_idList->setItemText(0, caption);
}

void ChannelEditor::onIdChosen()
{
    const int index = m_idList->currentIndex();
    if (m_hook)
        m_hook(index);
    if (!idEmpty())
        m_link.chooseId(m_idList->currentData().toInt());
    refreshChannelButtons();
}

void ChannelEditor::toggleChannel(int channel)
{
    if (idEmpty()) {
        Messages::show(m_texts[Message::SelectId]);
        return;
    }
    ChannelMask mask = m_link.target().channels;
    mask.toggle(channel);
    m_link.setChannels(mask);
    paint(channel, mask.channel(channel));
}

void ChannelEditor::toggleAllChannels()
{
    if (idEmpty()) {
        Messages::show(m_texts[Message::SelectId]);
    } else {
        ChannelMask mask = m_link.target().channels;
        mask.setWord(mask.word() == 0xFFFF ? 0x0000 : 0xFFFF);
        m_link.setChannels(mask);
    }
    refreshChannelButtons();
}

void ChannelEditor::writeSetting(Settings::Item item, MotorLink::IdWrite idWrite, const SettingValues &values)
{
    if (!m_link.portUsable()) {
        Messages::show(m_texts[Message::SelectPort]);
        return;
    }
    if (item == Settings::IdAndChannels && idEmpty()) {
        Messages::show(m_texts[Message::SelectId]);
        return;
    }
    if (item == Settings::IdAndChannels)
        m_link.writeId(idWrite);
    else
        m_link.writeSetting(item, values.*Settings::row(item)->value);
}

void ChannelEditor::refreshChannelButtons()
{
    paintAll(m_link.target().channels);
}

void ChannelEditor::showAsBefore(int index, const ChannelMask &drawn)
{
    {
        const QSignalBlocker quiet(m_idList);
        m_idList->setCurrentIndex(index);
    }
    paintAll(drawn);
}

void ChannelEditor::paintAll(const ChannelMask &mask)
{
    for (int n = 1; n <= Channels; ++n)
        paint(n, mask.channel(n));
}

void ChannelEditor::paint(int channel, bool selected)
{
    QPushButton *b = m_buttons[channel - 1];
    b->setStyleSheet(QLatin1String(selected ? SelectedLook : UnselectedLook));
    b->setProperty("selected", selected); // the look as a value, for tests
}
