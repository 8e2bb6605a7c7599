#include "ForceIdWindow.h"

#include "ChannelEditor.h"
#include "ScreenPlacement.h"

#include <QComboBox>
#include <QPushButton>

ForceIdWindow::ForceIdWindow(MotorLink &link, const MessageTexts &texts, QWidget *mainWindow, QComboBox *mainIdList,
                             QWidget *parent)
    : ChildWindow(mainWindow, QStringLiteral("IDSetForm"), QString(), QSize(250, 280), true, parent),
      m_mainIdList(mainIdList)
{
    placeOnScreen(this, {349, 224});
    m_editor = new ChannelEditor(link, texts, this, QPoint(16, 16), QPoint(16, 100));

    // The set button is wide enough for "Compulsory set" and reaches up to
    // the exit button; both keep their left edges.
    struct ButtonRow {
        const char *name;
        int x, width;
        void (ForceIdWindow::*click)();
    };
    const ButtonRow buttons[] = {
        {"bsSkinButton1", 16, 124, &ForceIdWindow::forceWrite},
        {"bsSkinButton2", 148, 86, &ForceIdWindow::returnToMainWindow},
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
    m_editor->idList()->setCurrentIndex(mainIndex); // onIdChosen runs if the text changes
    // Painted even when the ID did not change: the main window may have
    // changed that ID's channels since this window was last open.
    m_editor->refreshChannelButtons();
    open();
}

void ForceIdWindow::forceWrite()
{
    // For a motor that cannot be read: written without asking the line.
    m_editor->writeSetting(Settings::IdAndChannels, MotorLink::IdWrite::Forced);
}

void ForceIdWindow::returnToMainWindow()
{
    m_mainIdList->setCurrentIndex(m_editor->idList()->currentIndex());
    ChildWindow::returnToMainWindow();
}
