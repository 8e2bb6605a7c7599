// The forced ID and channel window: writes an ID and channels into a motor
// without reading it first.  Its ID list moves the main window's list only
// when the window is left.
#pragma once

#include "ChildWindow.h"
#include "MessageTexts.h"
#include "MotorLink.h"

class ChannelEditor;
class QComboBox;

class ForceIdWindow : public ChildWindow {
    Q_OBJECT
public:
    ForceIdWindow(MotorLink &link, const MessageTexts &texts, QWidget *mainWindow, QComboBox *mainIdList,
                  QWidget *parent = nullptr);

    // Opens on the main window's ID (its list index) and the channels stored for it.
    void openWithIndex(int mainIndex);
    void returnToMainWindow() override;

    // Writes the chosen ID and channels without reading the motor first.
    void forceWrite();

    ChannelEditor &channelEditor() const { return *m_editor; }

private:
    QComboBox *m_mainIdList;
    ChannelEditor *m_editor;
};
