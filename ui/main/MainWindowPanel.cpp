// The main window's picture panel: its items built from the layout tables,
// the parts that handle them, and what the window itself handles: the
// background and the frames around the ID and port boxes.
#include "MainWindow.h"

#include "ChannelPad.h"
#include "FocusRing.h"
#include "IdList.h"
#include "LimitPoints.h"
#include "MotorSettings.h"
#include "MotorButtons.h"
#include "PanelItem.h"
#include "PanelLayout.h"
#include "PanelLink.h"
#include "PortList.h"
#include "PositionSlider.h"
#include "SignalBars.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QWindow>

#include <functional>
#include <utility>

namespace {

// Runs onMove for every pointer move over a box, also while the box is
// disabled: a disabled widget drops mouse events in its own event handling,
// after its event filters have seen them.
class MoveRelay : public QObject {
public:
    MoveRelay(QWidget *box, std::function<void()> onMove) : QObject(box), m_onMove(std::move(onMove))
    {
        box->setMouseTracking(true); // moves with no button held reach the box at all
        box->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseMove)
            m_onMove();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_onMove;
};

} // namespace

void MainWindow::buildPanel()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panel"));
    central->setFixedSize(PanelLayout::ClientWidth, PanelLayout::ClientHeight);
    setCentralWidget(central);
    layout()->setSizeConstraint(QLayout::SetFixedSize); // single fixed border

    // Created bottom to top: later siblings lie above earlier ones.
    PanelItems items;
    for (const PanelLayout::Picture &p : PanelLayout::pictures()) {
        auto *picture = new PanelItem(PanelItem::Role::Picture, p.name, central);
        picture->setPicture(p.picture);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        picture->setGeometry(p.rect);
        picture->setVisible(p.visible);
        items.add(picture);
    }
    QFont captionFont = font();
    captionFont.setPointSize(9);
    QFont numberFont = captionFont;
    numberFont.setBold(true);
    for (const PanelLayout::Label &l : PanelLayout::labels()) {
        const bool hit = l.role == PanelLayout::LabelRole::Hit;
        auto *label = new PanelItem(hit ? PanelItem::Role::HitLabel : PanelItem::Role::Caption, l.name, central);
        label->setCaption(l.text);
        label->setFont(l.text.isEmpty() ? captionFont : numberFont);
        label->setAlignment(Qt::AlignCenter);
        if (hit)
            label->setCursor(Qt::PointingHandCursor);
        label->setTextColour(Qt::white);
        if (l.rect.isEmpty()) {
            label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            label->move(l.rect.topLeft()); // sized to its text by fitCaptions()
            m_textSizedCaptions.push_back(label);
        } else {
            label->setGeometry(l.rect);
        }
        items.add(label);
    }

    m_signalBars = new SignalBars(central);

    m_idList = new QComboBox(central);
    m_idList->setObjectName(QStringLiteral("ComboBox1"));
    m_idList->setGeometry(PanelLayout::IdBox);
    IdList::setUp(m_idList); // 8 rows; typing picks an ID
    m_portList = new PortComboBox(central);
    m_portList->setObjectName(QStringLiteral("ComboBox2"));
    m_portList->setGeometry(PanelLayout::PortBox);
    connect(m_portList, &PortComboBox::aboutToShowPopup, this, [this] { fillPortList(PortList::availablePorts()); });

    m_panelLink = std::make_unique<PanelLink>(m_link, m_texts, m_idList);
    const BringToFront toFront = [this](QWidget *item) { bringToFront(item); };
    m_positionSlider = std::make_unique<PositionSlider>(items, central, *m_panelLink); // builds the percent box
    m_channelPad = std::make_unique<ChannelPad>(items, *m_panelLink, toFront);
    m_limitPoints = std::make_unique<LimitPoints>(items, *m_panelLink, toFront);
    m_motorButtons = std::make_unique<MotorButtons>(items, *m_panelLink, toFront);
    wireBackground(items);

    chainFocus(items);

    connect(m_idList, &QComboBox::currentTextChanged, this, [this] { onIdChosen(); });
    connect(m_portList, &QComboBox::activated, this, [this] { onPortChosen(); });
    bringToFront(nullptr);
}

void MainWindow::wireBackground(const PanelItems &items)
{
    PanelItem *background = items(QStringLiteral("Image_bei_jing"));
    background->onPress = [this](QMouseEvent *) { backgroundPressed(); };
    background->onMove = [this](QMouseEvent *) { backgroundHovered(); };
    items(QStringLiteral("Image_id_ch"))->onMove = [this](QMouseEvent *) {
        m_channelPad->enterArea();
        m_motorButtons->leaveLearnAndDelete();
    };
    items(QStringLiteral("Image2"))->onMove = [this](QMouseEvent *) { m_limitPoints->enterArea(); };

    m_idBoxFrame = items(QStringLiteral("Label_id_select"));
    m_idBoxLit = items(QStringLiteral("Image_id_select"));
    m_portBoxFrame = items(QStringLiteral("Label_COM_SELECTE"));
    m_portBoxLit = items(QStringLiteral("Image_COM_EN"));
    m_idBoxFrame->onMove = [this](QMouseEvent *) { idBoxHovered(); };
    m_portBoxFrame->onMove = [this](QMouseEvent *) { portBoxHovered(); };
    // The pointer over a box wakes it as over the frame around it: a user
    // who moves straight onto a greyed box must not have to find its frame.
    new MoveRelay(m_idList, [this] { idBoxHovered(); });
    new MoveRelay(m_portList, [this] { portBoxHovered(); });
}

// Tab walks the panel as it reads: the two boxes, then the left column
// (channels, full range, learn, delete, limit points), then the right one
// (slider pointer, up, stop, down).  The frames around the boxes are not
// controls of their own.
void MainWindow::chainFocus(const PanelItems &items)
{
    items(QStringLiteral("Label_id_select"))->setFocusPolicy(Qt::NoFocus);
    items(QStringLiteral("Label_COM_SELECTE"))->setFocusPolicy(Qt::NoFocus);
    QList<QWidget *> chain {m_idList, m_portList};
    for (int n = 1; n <= MotorSettings::ChannelCount; ++n)
        chain.append(items("Label_ch", n));
    for (const char *name : {"Label_quan_ping", "Label_dui_ma", "Label_shan_ma"})
        chain.append(items(QLatin1String(name)));
    for (int n = 1; n <= 4; ++n)
        chain.append(items("Label_XWD", n));
    for (const char *name : {"Image_Place_zhi_zhen", "Label_shang", "Label_ting", "Label_xia"})
        chain.append(items(QLatin1String(name)));
    for (int i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
    for (QWidget *control : chain)
        control->installEventFilter(this);
    // The boxes are marked as in the child windows; the panel's items draw
    // their own dotted mark.
    new FocusRing(this, {m_idList, m_portList});
}

// Tab on a control of the panel wakes the boxes as the pointer over their
// frames does: a keyboard user has no pointer to wake them with.  (Focus
// moving on by itself, from a box greyed under it, does not.)
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            m_idList->setEnabled(true);
            m_portList->setEnabled(true);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::bringToFront(QWidget *item)
{
    if (item)
        item->raise();
    // Boxes always lie above the pictures and labels of the panel.
    m_positionSlider->box()->raise();
    m_idList->raise();
    m_portList->raise();
}

void MainWindow::backgroundPressed()
{
    // Dragging the background moves the window, as its caption would.
    if (QWindow *window = windowHandle())
        window->startSystemMove();
}

// The pointer left every control: each shows its idle looks, and the boxes
// grey until the pointer comes back to their frames.
void MainWindow::backgroundHovered()
{
    m_limitPoints->leave();
    if (!positionPolled())
        m_positionSlider->hideBox();
    m_idBoxLit->setVisible(false);
    m_portBoxLit->setVisible(false);
    m_portList->setEnabled(false);
    m_idList->setEnabled(false);
    m_motorButtons->leaveAll();
    m_channelPad->leave();
}

void MainWindow::idBoxHovered()
{
    bringToFront(m_idBoxFrame);
    m_idBoxLit->setVisible(true);
    m_idList->setEnabled(true);
}

void MainWindow::portBoxHovered()
{
    bringToFront(m_portBoxFrame);
    m_portBoxLit->setVisible(true);
    m_portList->setEnabled(true);
}
