#include "ForceIdWindow.h"

#include "ChannelEditor.h"
#include "Messages.h"
#include "ScreenPlacement.h"

#include <QComboBox>
#include <QPushButton>

ForceIdWindow::ForceIdWindow(MotorLink &link, QWidget *mainWindow, QComboBox *mainIdList, QWidget *parent)
    : ChildWindow(mainWindow, QStringLiteral("IDSetForm"), QString(), QSize(250, 280),
                  true, parent)
    , s(link.state())
    , m_link(link)
    , m_mainIdList(mainIdList)
{
    placeOnScreen(this, {349, 224});
    m_editor = new ChannelEditor(s, this, QPoint(16, 16), QPoint(16, 100));

    // The set button is wide enough for "Compulsory set" and reaches up to
    // the exit button; both keep their left edges.
    struct ButtonRow { const char *name; int x, width; void (ForceIdWindow::*click)(); };
    const ButtonRow buttons[] = {
        {"bsSkinButton1", 16, 124, &ForceIdWindow::bsSkinButton1Click},
        {"bsSkinButton2", 148, 86, &ForceIdWindow::bsSkinButton2Click},
    };
    for (const ButtonRow &row : buttons) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(row.name));
        b->setGeometry(row.x, 242, row.width, 28);
        connect(b, &QPushButton::clicked, this, row.click);
    }
}

void ForceIdWindow::openWithIndex(int mainIndex)
{
    m_editor->idList()->setCurrentIndex(mainIndex); // ComboBox1Change runs if the text changes
    // Painted even when the ID did not change: the main window may have
    // changed that ID's channels since this window was last open.
    m_editor->RefreshChannelButtons();
    open();
}

void ForceIdWindow::bsSkinButton1Click()
{
    if (!m_link.portUsable()) {
        Messages::show(s.MsgSelectPort);
        return;
    }
    if (m_editor->idEmpty()) {
        Messages::show(s.MsgSelectId);
        return;
    }
    m_link.stageWrite(Settings::IdAndChannels);
}

void ForceIdWindow::bsSkinButton2Click()
{
    FormClose();
}

void ForceIdWindow::FormClose()
{
    m_mainIdList->setCurrentIndex(m_editor->idList()->currentIndex());
    ChildWindow::FormClose();
}
