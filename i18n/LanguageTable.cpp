#include "LanguageTable.h"

#include "MessageTexts.h"


#include <cstring>

namespace {

// Both GroupCaption rows share these values, so the two lists can never
// disagree with each other or with the ID selection that compares against it.
constexpr std::array<const char *, 3> kGroupCaption {"群控", "Group", "群控"};

// Columns: Simplified Chinese, English, Traditional Chinese, then the start
// text where a window begins with another wording.  Leading and trailing
// blanks belong to the texts.
constexpr LanguageRow kRows[] = {
    // 1. Main window labels and the positions of three of them.
    {Window::Main, "Label3", Property::Caption, {" ID 选择  ", "ID Select  ", " ID 選擇  "}},
    {Window::Main, "Label2", Property::Caption, {"串口选择     ", "CommPort Select      ", "串口選擇     "}},
    {Window::Main, "Label2", Property::Left, {"325", "285", "325"}},
    {Window::Main, "Label9", Property::Caption, {"频道选择     ", "Channel Select    ", "頻道選擇     "}},
    {Window::Main, "Label9", Property::Left, {"129", "116", "129"}},
    {Window::Main, "Label6", Property::Caption, {"全      频     ", "Full Range     ", "全      頻     "}},
    {Window::Main, "Label_dui_ma_b", Property::Caption, {" 对 码   ", "Learn   ", " 對 碼   "}},
    {Window::Main, "Label_shan_ma_b", Property::Caption, {" 删 码   ", "Delete   ", " 刪 碼   "}},
    {Window::Main, "Label10", Property::Caption, {"运行到中间限位点     ", "   Middle Limit Point    ", "運行到中間限位點     "}},
    {Window::Main, "Label4", Property::Caption, {"开  ", "Open  ", "開  "}},
    {Window::Main, "Label4", Property::Left, {"313", "300", "313"}},
    {Window::Main, "Label8", Property::Caption, {"合  ", "Close  ", "合  "}},
    // 2. Hints of the up, stop and down buttons.
    {Window::Main, "Label_shang", Property::Hint, {"上行", "UP", "上行"}},
    {Window::Main, "Label_ting", Property::Hint, {"停止", "STOP", "停止"}},
    {Window::Main, "Label_xia", Property::Hint, {"下行", "DOWN", "下行"}},
    // 3. Messages of the command checks.
    {Window::Main, "MsgSelectId", Property::Message, {"      请选择 ID !      ", "    Please Select ID !    ", "      請選擇 ID !      "}},
    {Window::Main, "MsgSelectChannel", Property::Message, {"     请选择频道 !     ", "    Please Select Channel !    ", "     請選擇頻道 !     "}},
    {Window::Main, "MsgSelectPort", Property::Message, {"     请选择串口号 !     ", "    Please Select CommPort !    ", "     請選擇串口號 !     "}},
    // 4. The group-control caption, into item 0 of the main ID list.
    {Window::Main, "GroupCaption", Property::Message, kGroupCaption},
    // 5. User manual: which page is seen, and the title.
    {Window::Manual, "Image_cn", Property::Visible, {"1", "0", "1"}},
    {Window::Manual, "Image_en", Property::Visible, {"0", "1", "0"}},
    {Window::Manual, "", Property::Caption, {" 使用说明 ", " USE MANUAL ", " 使用說明 "}, " 使用说明"},
    // 6. Menu bar entries, then the main window title.
    {Window::Main, "SetMenu", Property::Caption, {"设置(&O)", "Options(&O)", "設置(&O)"}},
    {Window::Main, "HelpMenu", Property::Caption, {"帮助(&H)", "Help(&H)", "帮助(&H)"}},
    {Window::Main, "About", Property::Caption, {"关于(&a)", "About(&A)", "關於(&a)"}},
    {Window::Main, "ToolsMenu", Property::Caption, {"工具(&T)", "Tools(&T)", "工具(&T)"}},
    {Window::Main, "IDSetMenu", Property::Caption, {"ID与频道强制设置", "ID compulsory set", "ID與頻道強制設置"}},
    {Window::Main, "ComSetMenu", Property::Caption, {"串口设置", "Serial port settings", "串口設置"}},
    {Window::Main, "", Property::Caption, {"Tavik", "Tavik", "Tavik"}},
    // 7. Feature settings window: title, group boxes, radio boxes, tabs, buttons.
    {Window::Settings, "", Property::Caption, {"功能设置", "function settings", "功能設置"}},
    {Window::Settings, "SpeedSelect", Property::Caption, {"电机最大转速设定", "The maximum speed of the motor is set", "電機最大轉速設定"}},
    {Window::Settings, "DryContact", Property::Caption, {"干接点控制方式选择", "Dry contact control mode selection", "幹接點控制方式選擇"}},
    {Window::Settings, "Hand", Property::Caption, {"手拉启动设置", "Hand starting set", "手拉啟動設置"}},
    {Window::Settings, "Direction", Property::Caption, {"电机运行方向设置", "Set motor running direction", "電機運行方向設置"}},
    {Window::Settings, "StartUp", Property::Caption, {"启动方式选择", "Starting mode selection", "啟動方式選擇"}},
    {Window::Settings, "interval", Property::Caption, {"到行程是否留间隙", "To travel if there is a gap", "到行程是否留間隙"}},
    {Window::Settings, "Journey", Property::Caption, {"到行程停止方式选择", "To limit point stop mode selection", "到行程停止方式選擇"}},
    {Window::Settings, "Remamber", Property::Caption, {"断电行程记忆选择", "power down save  limit point selection", "斷電行程記憶選擇"}},
    {Window::Settings, "RPM80", Property::Caption, {"80 rmp / minute", "80 rmp / minute", "80 rmp / minute"}},
    {Window::Settings, "RPM100", Property::Caption, {"100 rmp / minute", "100 rmp / minute", "100 rmp / minute"}},
    {Window::Settings, "RPM130", Property::Caption, {"130 rmp / minute", "130 rmp / minute", "130 rmp / minute"}},
    {Window::Settings, "ManualSetting", Property::Caption, {"手动设置", "Manual setting ", "手動設置"}},
    {Window::Settings, "Normal", Property::Caption, {"上+下为停   3、4线共用模式", "3, 4 line sharing mode  [0]", "上+下為停   3、4線共用模式 [0]"}, "上+下为停   3、4线共用模式 【0】"},
    {Window::Settings, "UpStopDownStopLoop", Property::Caption, {"上-停-下-停  单键循环模式", "UP-STOP-DOWN-STOP,Single key cycle mode  [1]", "上-停-下-停  單鍵迴圈模式 [1]"}, "上-停-下-停  单键循环模式 【1】"},
    {Window::Settings, "UpUpStop", Property::Caption, {"上上停、下下停、上下切换模式", "UP\\UP\\STOP、DOWN\\DOWN\\STOP mode  [2]", "上上停、下下停、上下切換模式 [2]"}, "上上停、下下停、上下切换模式 【2】"},
    {Window::Settings, "SongShouTing", Property::Caption, {"松手停模式", "Let go stop mode [3]", "鬆手停模式 [3]"}, "松手停模式 【3】"},
    {Window::Settings, "RenYiTing", Property::Caption, {"任意停模式", "Any key to stop mode [4]", "任意停模式 [4]"}, "任意停模式 【4】"},
    {Window::Settings, "HandStartupOn", Property::Caption, {"开启手拉启动功能", "Open hand starting", "開啟手拉啟動功能"}},
    {Window::Settings, "HandStartupOff", Property::Caption, {"关闭手拉启动功能", "Close hand starting", "關閉手拉啟動功能"}},
    {Window::Settings, "DefaultDirection", Property::Caption, {"默认方向", "Default direction ", "默認方向"}},
    {Window::Settings, "OppositeDirection", Property::Caption, {"反向", "Wrong direction ", "反向"}},
    {Window::Settings, "SlowStartup", Property::Caption, {"慢启动", "Slow start", "慢啟動"}},
    {Window::Settings, "NoSlowStart", Property::Caption, {"快速启动", "Quick start", "快速啟動"}},
    {Window::Settings, "Clearance", Property::Caption, {"到行程留间隙", "Clearance", "到行程留間隙"}},
    {Window::Settings, "gapless", Property::Caption, {"不留间隙", "gapless", "不留間隙"}},
    {Window::Settings, "Stop", Property::Caption, {"到行程停止", "To limit point to stop", "到行程停止"}},
    {Window::Settings, "MeetPlugb", Property::Caption, {"遇阻停止", "Meet Obstacles stop", "遇阻停止"}},
    {Window::Settings, "PowerDownRemamber", Property::Caption, {"断电记忆行程", "Memory limit point", "斷電記憶行程"}},
    {Window::Settings, "NoRemamber", Property::Caption, {"不记忆行程", "No memory limit point", "不記憶行程"}},
    {Window::Settings, "bsSkinTabSheet1", Property::Caption, {"ID与频道", "ID and Channel", "ID與頻道"}},
    {Window::Settings, "bsSkinTabSheet2", Property::Caption, {"干触点", "Manual", "幹接點"}},
    {Window::Settings, "bsSkinTabSheet3", Property::Caption, {"速度", "Speed", "速度"}, "转速"},
    {Window::Settings, "bsSkinTabSheet4", Property::Caption, {"开合帘功能", "Curtain Function", "開合簾功能"}},
    {Window::Settings, "bsSkinTabSheet5", Property::Caption, {"点动时间", "Joint Time", "點動時間"}},
    {Window::Settings, "bsSkinTabSheet6", Property::Caption, {"遇阻灵敏度", "Meet Plugb Level", "遇阻靈敏度"}},
    {Window::Settings, "bsSkinTabSheet8", Property::Caption, {"遇阻反弹", "Meet Plugb Rebound", "遇阻反彈"}},
    {Window::Settings, "bsSkinTabSheet7", Property::Caption, {"波特率选择", "Baud Rate", "波特率選擇"}},
    {Window::Settings, "bsSkinGroupBox2", Property::Caption, {"ID 设置", "ID Setting", "ID 設置"}, "ID设置"},
    {Window::Settings, "bsSkinGroupBox1", Property::Caption, {"频道设置", "Channel Setting", "頻道設置"}},
    {Window::Settings, "bsSkinSpeedButton33", Property::Caption, {"全频    ", "Full Range    ", "全頻    "}, "全          频"},
    {Window::Settings, "bsSkinButton1", Property::Caption, {"设置  ", "Set Up  ", "設置  "}, "设      置"},
    {Window::Settings, "bsSkinButton3", Property::Caption, {"设置  ", "Set Up  ", "設置  "}, "设      置"},
    {Window::Settings, "bsSkinButton5", Property::Caption, {"设置  ", "Set Up  ", "設置  "}, "设      置"},
    {Window::Settings, "bsSkinButton7", Property::Caption, {"设置  ", "Set Up  ", "設置  "}, "设      置"},
    {Window::Settings, "bsSkinButton9", Property::Caption, {"设置  ", "Set Up  ", "設置  "}, "设      置"},
    {Window::Settings, "bsSkinButton11", Property::Caption, {"设置  ", "Set Up  ", "設置  "}, "设      置"},
    {Window::Settings, "bsSkinButton2", Property::Caption, {"设置  ", "Set Up  ", "設置  "}, "设      置"},
    {Window::Settings, "bsSkinButton4", Property::Caption, {"恢复默认值", "Restore default values", "恢復默認值"}},
    {Window::Settings, "bsSkinButton6", Property::Caption, {"恢复默认值", "Restore default values", "恢復默認值"}},
    {Window::Settings, "bsSkinButton8", Property::Caption, {"恢复默认值", "Restore default values", "恢復默認值"}},
    {Window::Settings, "bsSkinButton10", Property::Caption, {"恢复默认值", "Restore default values", "恢復默認值"}},
    {Window::Settings, "bsSkinButton15", Property::Caption, {"恢复默认值", "Restore default values", "恢復默認值"}},
    {Window::Settings, "bsSkinButton13", Property::Caption, {"恢复默认值", "Restore default values", "恢復默認值"}},
    {Window::Settings, "bsSkinButton12", Property::Caption, {"恢复默认值", "Restore default values", "恢復默認值"}},
    {Window::Settings, "SynchroSelect", Property::Caption, {"手控同步选择", "Manual Synchro Selection", "手控同步選擇"}},
    {Window::Settings, "synchro", Property::Caption, {"手控同步", "Manual Synchro", "手控同步"}},
    {Window::Settings, "OutSync", Property::Caption, {"手控不同步", "Manual OutSync", "手控不同步"}},
    {Window::Settings, "bsSkinGroupBox6", Property::Caption, {"点动时间选择", "Joint Time Selection", "點動時間選擇"}},
    {Window::Settings, "bsSkinGroupBox4", Property::Caption, {"遇阻灵敏度选择", "Meet Plugb Level Selection", "遇阻靈敏度選擇"}},
    {Window::Settings, "bsSkinCheckRadioBox1", Property::Caption, {"低灵敏度  [1]", "Low Sensitivity  [1]", "低靈敏度  [1]"}, "低灵敏度 【1】"},
    {Window::Settings, "bsSkinCheckRadioBox2", Property::Caption, {"中灵敏度  [2]", "Medium Sensitivity  [2]", "中靈敏度  [2]"}, "中灵敏度 【2】"},
    {Window::Settings, "bsSkinCheckRadioBox3", Property::Caption, {"高灵敏度  [3]", "High Sensitivity  [3]", "高靈敏度  [3]"}, "高灵敏度 【3】"},
    {Window::Settings, "bsSkinGroupBox5", Property::Caption, {"遇阻反弹设置", "Meet Plugb Rebound Setting", "遇阻反彈設置"}},
    {Window::Settings, "bsSkinCheckRadioBox4", Property::Caption, {"遇阻后不反弹  [0]", "Difficult to rebound  [0]", "遇阻後不反彈  [0]"}, "遇阻后不反弹 【0】"},
    {Window::Settings, "bsSkinCheckRadioBox5", Property::Caption, {"遇阻后反弹，不限制反弹时间  [FF]", "Unlimited rebound time  [FF]", "遇阻後反彈，不限制反彈時間  [FF]"}, "遇阻后反弹，不限制反弹时间 【FF】"},
    {Window::Settings, "bsSkinCheckRadioBox6", Property::Caption, {"遇阻后反弹，反弹时间如下： [1-254]", "Rebound time optional  [1-254]", "遇阻後反彈，反彈時間如下： [1-254]"}, "遇阻后反弹，反弹时间如下：【1-254】"},
    {Window::Settings, "bsSkinGroupBox3", Property::Caption, {"波特率选择", "Baud Rate Selection", "波特率選擇"}, "波特率设置"},
    // 8. Forced ID and channel window.
    {Window::IdSet, "", Property::Caption, {"ID与频道强制设置", "ID compulsory set", "ID與頻道強制設置"}},
    {Window::IdSet, "bsSkinGroupBox2", Property::Caption, {"ID设置", "ID Select", "ID設置"}},
    {Window::IdSet, "bsSkinGroupBox1", Property::Caption, {"频道设置", "Channel Select", "頻道設置"}},
    {Window::IdSet, "bsSkinButton1", Property::Caption, {"强制设置", "Compulsory set", "強制設置"}},
    {Window::IdSet, "bsSkinButton2", Property::Caption, {"退     出", "Cancel", "退     出"}},
    {Window::IdSet, "bsSkinSpeedButton33", Property::Caption, {"全          频", "Full Range", "全          頻"}},
    // 9. The same group-control caption, into item 0 of the forced-ID list.
    {Window::IdSet, "GroupCaption", Property::Message, kGroupCaption},
    // 10. Messages of the write confirmation and of the serial port.
    {Window::Main, "MsgSetSuccess", Property::Message, {"  设置成功  ", "  Set successfully   ", "  設置成功  "}},
    {Window::Main, "MsgSetFailure", Property::Message, {"  设置失败  ", "  Setting fail  ", "  設置失敗  "}},
    {Window::Main, "MsgPortLost", Property::Message,
     {"  串口已断开，请检查连接后重新选择串口 !  ",
      "  The serial port was lost. Check the connection and choose the port again !  ",
      "  串口已斷開，請檢查連接後重新選擇串口 !  "}},
    // Why a port did not open: %1 = the port or its device, %2 = the device's group or owner.
    {Window::Main, "MsgPortBusy", Property::Message,
     {"  串口 %1 正被其他程序占用（例如串口终端程序、ModemManager 或 brltty），请关闭该程序后重新选择串口 !  ",
      "  The serial port %1 is in use by another program (a terminal program, ModemManager or brltty). Close that program and choose the port again !  ",
      "  串口 %1 正被其他程式佔用（例如串口終端程式、ModemManager 或 brltty），請關閉該程式後重新選擇串口 !  "}},
    {Window::Main, "MsgPortDenied", Property::Message,
     {"  没有打开串口 %1 的权限：请把当前用户加入 %2 组（sudo usermod -aG %2 $USER），然后注销并重新登录 !  ",
      "  No permission to open the serial port %1: add your user to the group %2 (sudo usermod -aG %2 $USER), then log out and log in again !  ",
      "  沒有開啟串口 %1 的權限：請把目前使用者加入 %2 群組（sudo usermod -aG %2 $USER），然後登出並重新登入 !  "}},
    {Window::Main, "MsgPortOwnerOnly", Property::Message,
     {"  没有打开串口 %1 的权限：只有其所有者 %2 可以打开它。请以 %2 身份运行本程序，或请管理员把该设备交给 dialout 组 !  ",
      "  No permission to open the serial port %1: only its owner %2 may open it. Run Tavik as %2, or ask the administrator to give the device to the dialout group !  ",
      "  沒有開啟串口 %1 的權限：只有其擁有者 %2 可以開啟它。請以 %2 身分執行本程式，或請管理員把該裝置交給 dialout 群組 !  "}},
    {Window::Main, "MsgPortMissing", Property::Message,
     {"  串口 %1 不存在：适配器已被拔出。请插上适配器后重新选择串口 !  ",
      "  The serial port %1 is not there: the adapter was unplugged. Plug it in and choose the port again !  ",
      "  串口 %1 不存在：轉接器已被拔出。請插上轉接器後重新選擇串口 !  "}},
    {Window::Main, "MsgIdOutOfRange", Property::Message,
     {"  电机报告的 ID 为 %1，不在 1 到 99 之间，ID 列表未改变 !  ",
      "  The motor reports ID %1, which is outside 1 to 99. The ID list was left unchanged !  ",
      "  電機報告的 ID 為 %1，不在 1 到 99 之間，ID 列表未改變 !  "}},
    // 20. Bus monitor: its menu item and captions, then the words of the frame
    //     decoder (Word rows, composed by code; %1.. are filled in there).
    {Window::Main, "MonitorMenu", Property::Caption, {"总线监视", "Bus Monitor", "總線監視"}},
    {Window::Monitor, "", Property::Caption, {"总线监视", "Bus Monitor", "總線監視"}},
    {Window::Monitor, "PauseButton", Property::Caption, {"暂停", "Pause", "暫停"}},
    {Window::Monitor, "ClearButton", Property::Caption, {"清除", "Clear", "清除"}},
    {Window::Monitor, "HidePollsBox", Property::Caption, {"隐藏状态查询及其应答", "Hide status polls and their answers", "隱藏狀態查詢及其應答"}},
    {Window::Monitor, "SaveButton", Property::Caption, {"保存…", "Save…", "儲存…"}},
    {Window::Monitor, "MonColTime", Property::Word, {"时间 (ms)", "Time (ms)", "時間 (ms)"}},
    {Window::Monitor, "MonColDirection", Property::Word, {"方向", "Direction", "方向"}},
    {Window::Monitor, "MonColBytes", Property::Word, {"字节", "Bytes", "位元組"}},
    {Window::Monitor, "MonColMeaning", Property::Word, {"含义", "Meaning", "含義"}},
    {Window::Monitor, "MonSent", Property::Word, {"发送", "sent", "發送"}},
    {Window::Monitor, "MonReceived", Property::Word, {"接收", "received", "接收"}},
    {Window::Monitor, "MonPort", Property::Word, {"串口", "port", "串口"}},
    {Window::Monitor, "MonCounts", Property::Word,
     {"已发送 %1 帧，收到 %2 个应答，无效字节 %3", "%1 frames sent, %2 answers received, %3 invalid bytes",
      "已發送 %1 幀，收到 %2 個應答，無效位元組 %3"}},
    {Window::Monitor, "MonLastAnswer", Property::Word, {"上次有效应答：%1 秒前", "last valid answer %1 s ago", "上次有效應答：%1 秒前"}},
    {Window::Monitor, "MonNoAnswer", Property::Word, {"尚无有效应答", "no valid answer yet", "尚無有效應答"}},
    {Window::Monitor, "MonSaveTitle", Property::Word, {"保存总线记录", "Save the bus log", "儲存總線記錄"}},
    {Window::Monitor, "MonSaveFilter", Property::Word, {"文本文件 (*.txt)", "Text files (*.txt)", "文字檔 (*.txt)"}},
    {Window::Monitor, "MonSaveFailed", Property::Word,
     {"  无法写入文件 %1 !  ", "  The file %1 could not be written !  ", "  無法寫入檔案 %1 !  "}},
    // A command and its target: "Up — ID 5, channels 1, 3".
    {Window::Monitor, "MonCommandTo", Property::Word, {"%1 — %2，%3", "%1 — %2, %3", "%1 — %2，%3"}},
    {Window::Monitor, "MonTargetId", Property::Word, {"ID %1", "ID %1", "ID %1"}},
    {Window::Monitor, "MonGroup", Property::Word, {"群控", "group control", "群控"}},
    {Window::Monitor, "MonChannel", Property::Word, {"频道 %1", "channel %1", "頻道 %1"}},
    {Window::Monitor, "MonChannels", Property::Word, {"频道 %1", "channels %1", "頻道 %1"}},
    {Window::Monitor, "MonNoChannel", Property::Word, {"无频道", "no channel", "無頻道"}},
    {Window::Monitor, "MonAllChannels", Property::Word, {"全频", "all channels", "全頻"}},
    {Window::Monitor, "MonUp", Property::Word, {"上行", "Up", "上行"}},
    {Window::Monitor, "MonStop", Property::Word, {"停止", "Stop", "停止"}},
    {Window::Monitor, "MonDown", Property::Word, {"下行", "Down", "下行"}},
    {Window::Monitor, "MonLearn", Property::Word, {"对码", "Learn", "對碼"}},
    {Window::Monitor, "MonDelete", Property::Word, {"删码", "Delete", "刪碼"}},
    {Window::Monitor, "MonGoToLimit", Property::Word, {"运行到中间限位点 %1", "run to limit point %1", "運行到中間限位點 %1"}},
    {Window::Monitor, "MonMotorOther", Property::Word, {"电机命令 %1", "motor command %1", "電機命令 %1"}},
    {Window::Monitor, "MonRunTo", Property::Word, {"运行到 %1 %", "run to %1 %", "運行到 %1 %"}},
    {Window::Monitor, "MonForceId", Property::Word, {"强制设置 ID 与频道", "force ID and channels", "強制設置 ID 與頻道"}},
    {Window::Monitor, "MonWriteDryContact", Property::Word, {"写干接点模式 %1", "write dry-contact mode %1", "寫幹接點模式 %1"}},
    {Window::Monitor, "MonWriteSpeed", Property::Word, {"写转速 %1 rpm", "write speed %1 rpm", "寫轉速 %1 rpm"}},
    {Window::Monitor, "MonWriteFlags", Property::Word, {"写开合帘功能 %1", "write curtain functions %1", "寫開合簾功能 %1"}},
    {Window::Monitor, "MonWriteJog", Property::Word, {"写点动时间 %1", "write jog time %1", "寫點動時間 %1"}},
    {Window::Monitor, "MonWriteSensitivity", Property::Word, {"写遇阻灵敏度 %1", "write sensitivity %1", "寫遇阻靈敏度 %1"}},
    {Window::Monitor, "MonWriteRebound", Property::Word, {"写遇阻反弹：%1", "write rebound: %1", "寫遇阻反彈：%1"}},
    {Window::Monitor, "MonWriteBaud", Property::Word, {"写波特率 %1", "write baud rate %1", "寫波特率 %1"}},
    {Window::Monitor, "MonReadBasic", Property::Word, {"读基本设置", "read basic settings", "讀基本設置"}},
    {Window::Monitor, "MonReadExtended", Property::Word, {"读扩展设置", "read extended settings", "讀擴展設置"}},
    {Window::Monitor, "MonStatusPoll", Property::Word, {"状态查询", "status poll", "狀態查詢"}},
    {Window::Monitor, "MonUnknownFunction", Property::Word, {"未知功能 %1，数据 %2", "unknown function %1, data %2", "未知功能 %1，資料 %2"}},
    {Window::Monitor, "MonNotCommand", Property::Word, {"不是命令帧", "not a command frame", "不是命令幀"}},
    {Window::Monitor, "MonBaud", Property::Word, {"%1 波特", "%1 baud", "%1 波特"}},
    {Window::Monitor, "MonBaudCode", Property::Word, {"波特率代码 %1（无效）", "baud code %1 (no rate)", "波特率代碼 %1（無效）"}},
    {Window::Monitor, "MonReboundNone", Property::Word, {"不反弹", "no rebound", "不反彈"}},
    {Window::Monitor, "MonReboundUnlimited", Property::Word, {"反弹，不限时间", "rebound, time not limited", "反彈，不限時間"}},
    {Window::Monitor, "MonReboundTime", Property::Word, {"反弹时间 %1", "rebound time %1", "反彈時間 %1"}},
    // Answers: "status: 37 %, position known, limit points 1 and 3".
    {Window::Monitor, "MonStatus", Property::Word, {"状态：%1", "status: %1", "狀態：%1"}},
    {Window::Monitor, "MonPercent", Property::Word, {"%1 %", "%1 %", "%1 %"}},
    {Window::Monitor, "MonPositionKnown", Property::Word, {"位置已知", "position known", "位置已知"}},
    {Window::Monitor, "MonPositionUnknown", Property::Word, {"位置未知", "position unknown", "位置未知"}},
    {Window::Monitor, "MonLimitPoint", Property::Word, {"限位点 %1", "limit point %1", "限位點 %1"}},
    {Window::Monitor, "MonLimitPoints", Property::Word, {"限位点 %1", "limit points %1", "限位點 %1"}},
    {Window::Monitor, "MonNoLimitPoints", Property::Word, {"无限位点", "no limit points", "無限位點"}},
    {Window::Monitor, "MonMoving", Property::Word, {"运行中", "running", "運行中"}},
    {Window::Monitor, "MonBasicReport", Property::Word, {"基本设置：%1", "basic settings: %1", "基本設置：%1"}},
    {Window::Monitor, "MonExtendedReport", Property::Word, {"扩展设置：%1", "extended settings: %1", "擴展設置：%1"}},
    {Window::Monitor, "MonDryContact", Property::Word, {"干接点模式 %1", "dry-contact mode %1", "幹接點模式 %1"}},
    {Window::Monitor, "MonSpeed", Property::Word, {"转速 %1 rpm", "speed %1 rpm", "轉速 %1 rpm"}},
    {Window::Monitor, "MonFlags", Property::Word, {"开合帘功能 %1", "curtain functions %1", "開合簾功能 %1"}},
    {Window::Monitor, "MonJog", Property::Word, {"点动时间 %1", "jog time %1", "點動時間 %1"}},
    {Window::Monitor, "MonSensitivity", Property::Word, {"遇阻灵敏度 %1", "sensitivity %1", "遇阻靈敏度 %1"}},
    {Window::Monitor, "MonNotAnswer", Property::Word, {"不是有效应答", "not a valid answer", "不是有效應答"}},
    // Lists: "1, 3" (channels), "1 and 3" (limit points), parts of a report.
    {Window::Monitor, "MonListComma", Property::Word, {"、", ", ", "、"}},
    {Window::Monitor, "MonListAnd", Property::Word, {" 和 ", " and ", " 和 "}},
    {Window::Monitor, "MonPartComma", Property::Word, {"，", ", ", "，"}},
    // Bytes that are not part of a valid answer, and why.
    {Window::Monitor, "MonDiscarded", Property::Word, {"无效：%1，%2 字节", "invalid: %1, %2 bytes", "無效：%1，%2 位元組"}},
    {Window::Monitor, "MonNoise", Property::Word, {"噪声", "noise", "雜訊"}},
    {Window::Monitor, "MonBadCheck", Property::Word, {"校验字节错误", "bad check byte", "校驗位元組錯誤"}},
    {Window::Monitor, "MonCutOff", Property::Word, {"应答不完整", "cut-off answer", "應答不完整"}},
    {Window::Monitor, "MonFlood", Property::Word, {"字节过多，已丢弃", "flood, dropped", "位元組過多，已丟棄"}},
    // Port events.
    {Window::Monitor, "MonOpened", Property::Word, {"串口 %1 已打开，%2 波特", "port %1 opened at %2 baud", "串口 %1 已打開，%2 波特"}},
    {Window::Monitor, "MonReopened", Property::Word, {"串口 %1 重新打开，%2 波特", "port %1 reopened at %2 baud", "串口 %1 重新打開，%2 波特"}},
    {Window::Monitor, "MonClosed", Property::Word, {"串口 %1 已关闭", "port %1 closed", "串口 %1 已關閉"}},
    {Window::Monitor, "MonLost", Property::Word, {"串口 %1 已丢失", "port %1 lost", "串口 %1 已遺失"}},
    // 21. Settings tabs: the note under a tab whose controls cannot show the
    // reported value; %1 = that value.
    {Window::Main, "MsgValueOutOfRange", Property::Message,
     {"设备报告值: %1 (超出范围)", "Reported by the device: %1 (out of range)", "設備報告值: %1 (超出範圍)"}},
    // 11. Accessible names and descriptions of the main window's picture controls:
    //     what a screen reader says for each place a user presses.
    {Window::Main, "Label_ch", Property::AccessibleName, {"频道 %1", "Channel %1", "頻道 %1"}, nullptr, 16},
    {Window::Main, "Label_ch", Property::AccessibleDescription,
     {"选择或取消此频道", "Selects or clears this channel for the chosen ID", "選擇或取消此頻道"}, nullptr, 16},
    {Window::Main, "Label_quan_ping", Property::AccessibleName, {"全频", "All channels", "全頻"}},
    {Window::Main, "Label_quan_ping", Property::AccessibleDescription,
     {"选择或取消全部 16 个频道", "Selects or clears all 16 channels", "選擇或取消全部 16 個頻道"}},
    {Window::Main, "Label_dui_ma", Property::AccessibleName, {"对码", "Learn", "對碼"}},
    {Window::Main, "Label_dui_ma", Property::AccessibleDescription,
     {"向所选电机和频道发送对码命令", "Sends learn (pair a remote code) to the chosen motor and channels", "向所選電機和頻道發送對碼命令"}},
    {Window::Main, "Label_shan_ma", Property::AccessibleName, {"删码", "Delete", "刪碼"}},
    {Window::Main, "Label_shan_ma", Property::AccessibleDescription,
     {"向所选电机和频道发送删码命令", "Sends delete (forget the remote code) to the chosen motor and channels", "向所選電機和頻道發送刪碼命令"}},
    {Window::Main, "Label_shang", Property::AccessibleName, {"上行", "Up", "上行"}},
    {Window::Main, "Label_shang", Property::AccessibleDescription,
     {"向所选电机和频道发送上行命令", "Sends up to the chosen motor and channels", "向所選電機和頻道發送上行命令"}},
    {Window::Main, "Label_ting", Property::AccessibleName, {"停止", "Stop", "停止"}},
    {Window::Main, "Label_ting", Property::AccessibleDescription,
     {"向所选电机和频道发送停止命令", "Sends stop to the chosen motor and channels", "向所選電機和頻道發送停止命令"}},
    {Window::Main, "Label_xia", Property::AccessibleName, {"下行", "Down", "下行"}},
    {Window::Main, "Label_xia", Property::AccessibleDescription,
     {"向所选电机和频道发送下行命令", "Sends down to the chosen motor and channels", "向所選電機和頻道發送下行命令"}},
    {Window::Main, "Label_XWD", Property::AccessibleName, {"限位点 %1", "Limit point %1", "限位點 %1"}, nullptr, 4},
    {Window::Main, "Label_XWD", Property::AccessibleDescription,
     {"运行到中间限位点 %1（电机已存有该点时可用）", "Runs the motor to intermediate limit point %1 (when the motor has stored it)",
      "運行到中間限位點 %1（電機已存有該點時可用）"}, nullptr, 4},
    {Window::Main, "Image_Place", Property::AccessibleName, {"位置轨道", "Position track", "位置軌道"}},
    {Window::Main, "Image_Place", Property::AccessibleDescription,
     {"点击轨道上的一点：电机运行到该位置（百分比）", "Click a point of the track to run the motor to that position (percent)", "點擊軌道上的一點：電機運行到該位置（百分比）"}},
    {Window::Main, "Image_Place_en", Property::AccessibleName, {"位置条", "Position bar", "位置條"}},
    {Window::Main, "Image_Place_en", Property::AccessibleDescription,
     {"点击位置条上的一点：电机运行到该位置（百分比）", "Click a point of the bar to run the motor to that position (percent)", "點擊位置條上的一點：電機運行到該位置（百分比）"}},
    {Window::Main, "Image_Place_zhi_zhen", Property::AccessibleName, {"位置滑块", "Position slider", "位置滑塊"}},
    {Window::Main, "Image_Place_zhi_zhen", Property::AccessibleDescription,
     {"拖动滑块后松开：电机运行到该位置（百分比）", "Drag the slider and let go to run the motor to that position (percent)", "拖動滑塊後放開：電機運行到該位置（百分比）"}},
    // 22. Command-line tool (tavik-cli): its messages and help, which no window shows.
    {Window::Cli, "CliHelpUsage", Property::Caption, {"用法：", "Usage:", "用法："}},
    {Window::Cli, "CliHelpCommands", Property::Caption, {"命令：", "Commands:", "命令："}},
    {Window::Cli, "CliHelpOptions", Property::Caption, {"选项：", "Options:", "選項："}},
    {Window::Cli, "CliHelpPorts", Property::Caption, {"列出串口：名称、描述、设备路径", "list serial ports: name, description, device path", "列出串口：名稱、描述、裝置路徑"}},
    {Window::Cli, "CliHelpScan", Property::Caption, {"查找电机的波特率（同窗口的波特率扫描），显示波特率、ID 和频道", "find the motor's line rate (the window's baud scan); print rate, ID, channels", "查找電機的鮑率（同視窗的鮑率掃描），顯示鮑率、ID 和頻道"}},
    {Window::Cli, "CliHelpRead", Property::Caption, {"读取两份设置报告，按名称显示每项设置", "read both settings reports; print every setting by name", "讀取兩份設置報告，按名稱顯示每項設置"}},
    {Window::Cli, "CliHelpSet", Property::Caption, {"写入一项设置，再回读确认", "write one setting, then confirm it by reading it back", "寫入一項設置，再回讀確認"}},
    {Window::Cli, "CliHelpApply", Property::Caption, {"写入配置文件中与电机不同的每项设置，逐项确认", "write every setting in a profile that differs from the motor, each confirmed", "寫入設定檔中與電機不同的每項設置，逐項確認"}},
    {Window::Cli, "CliHelpUp", Property::Caption, {"上行", "run up", "上行"}},
    {Window::Cli, "CliHelpStop", Property::Caption, {"停止", "stop", "停止"}},
    {Window::Cli, "CliHelpDown", Property::Caption, {"下行", "run down", "下行"}},
    {Window::Cli, "CliHelpLearn", Property::Caption, {"对码", "learn (pair) a remote code", "對碼"}},
    {Window::Cli, "CliHelpDelete", Property::Caption, {"删码", "delete a remote code", "刪碼"}},
    {Window::Cli, "CliHelpGoto", Property::Caption, {"运行到位置 0..100（一个 ID、一个频道）", "run to a position 0..100 (one ID, one channel)", "運行到位置 0..100（一個 ID、一個頻道）"}},
    {Window::Cli, "CliHelpLimit", Property::Caption, {"运行到中间限位点 1..4", "run to intermediate limit point 1..4", "運行到中間限位點 1..4"}},
    {Window::Cli, "CliHelpStatus", Property::Caption, {"位置和限位点；--watch 显示每次变化直到中断", "position and limit points; --watch prints each change until interrupted", "位置和限位點；--watch 顯示每次變化直到中斷"}},
    {Window::Cli, "CliHelpMonitor", Property::Caption, {"显示线路上的每一帧（双向），附时间和含义，直到中断", "print every frame on the line, both directions, with time and meaning, until interrupted", "顯示線路上的每一幀（雙向），附時間和含義，直到中斷"}},
    {Window::Cli, "CliHelpOptPort", Property::Caption, {"串口设备；默认为唯一存在的串口", "the serial device; default: the only serial port present", "串口裝置；預設為唯一存在的串口"}},
    {Window::Cli, "CliHelpOptBaud", Property::Caption, {"auto（扫描，默认）或固定波特率 1200|2400|4800|9600|19200", "auto (scan, the default) or a fixed rate 1200|2400|4800|9600|19200", "auto（掃描，預設）或固定鮑率 1200|2400|4800|9600|19200"}},
    {Window::Cli, "CliHelpOptJson", Property::Caption, {"每行输出一个 JSON 对象", "print one JSON object per line", "每行輸出一個 JSON 物件"}},
    {Window::Cli, "CliHelpOptQuiet", Property::Caption, {"不显示计划和确认信息，只显示错误和数据", "leave out plans and confirmations; errors and data only", "不顯示計劃和確認訊息，只顯示錯誤和資料"}},
    {Window::Cli, "CliHelpOptDryRun", Property::Caption, {"apply：只显示计划，不写入", "apply: print the plan, write nothing", "apply：只顯示計劃，不寫入"}},
    {Window::Cli, "CliHelpOptWatch", Property::Caption, {"status：显示每次变化直到中断（Ctrl-C）", "status: print each change until interrupted (Ctrl-C)", "status：顯示每次變化直到中斷（Ctrl-C）"}},
    {Window::Cli, "CliHelpOptHelp", Property::Caption, {"显示本帮助", "show this help", "顯示本說明"}},
    {Window::Cli, "CliHelpTarget", Property::Caption,
     {"TARGET 为 ID:频道：ID 1..99，或 group / 0 表示群控；频道如 1,3,12 或 all。",
      "TARGET is ID:CHANNELS: ID 1..99, or group / 0 for group control; CHANNELS a list like 1,3,12, or all.",
      "TARGET 為 ID:頻道：ID 1..99，或 group / 0 表示群控；頻道如 1,3,12 或 all。"}},
    {Window::Cli, "CliHelpSettings", Property::Caption, {"设置名称和取值（set NAME VALUE，配置文件用同样的名称）：", "Setting names and values (set NAME VALUE; a profile uses the same names):", "設置名稱和取值（set NAME VALUE，設定檔用同樣的名稱）："}},
    {Window::Cli, "CliHelpExit", Property::Caption,
     {"退出码：0 完成并已确认；1 电机未应答或未确认；2 用法错误（未发送任何内容）；3 无法打开串口。",
      "Exit codes: 0 done and confirmed; 1 the motor did not answer or confirm; 2 usage error (nothing sent); 3 the port could not be opened.",
      "退出碼：0 完成並已確認；1 電機未應答或未確認；2 用法錯誤（未發送任何內容）；3 無法開啟串口。"}},
    {Window::Cli, "CliSettingDryContact", Property::Caption,
     {"干接点控制方式：0 上+下为停（3、4 线共用），1 单键循环（上-停-下-停），2 上上停、下下停，3 松手停，4 任意停",
      "dry-contact control mode: 0 up and down together stop (wires 3 and 4 shared), 1 one key cycles up-stop-down-stop, 2 up again or down again stops, 3 stops when released, 4 any key stops",
      "幹接點控制方式：0 上+下為停（3、4 線共用），1 單鍵循環（上-停-下-停），2 上上停、下下停，3 鬆手停，4 任意停"}},
    {Window::Cli, "CliSettingSpeed", Property::Caption, {"电机最大转速（转/分）", "the motor's maximum speed in rpm", "電機最大轉速（轉/分）"}},
    {Window::Cli, "CliSettingFunctions", Property::Caption,
     {"七个开合帘开关：手拉启动、运行方向、慢启动、到行程留间隙、遇阻停止、断电记忆行程、手控同步；只改写所列的开关",
      "the seven curtain switches: hand-pull start, running direction, soft start, gap at end of travel, stop on obstacle, travel memory after power loss, hand-control synchronisation; only the ones named change",
      "七個開合簾開關：手拉啟動、運行方向、慢啟動、到行程留間隙、遇阻停止、斷電記憶行程、手控同步；只改寫所列的開關"}},
    {Window::Cli, "CliSettingJog", Property::Caption, {"点动时间", "jog time", "點動時間"}},
    {Window::Cli, "CliSettingSensitivity", Property::Caption, {"遇阻灵敏度", "obstruction sensitivity", "遇阻靈敏度"}},
    {Window::Cli, "CliSettingRebound", Property::Caption, {"遇阻反弹：不反弹、反弹时间 1..254、不限制反弹时间", "rebound after an obstruction: none, for a time of 1..254, or unlimited", "遇阻反彈：不反彈、反彈時間 1..254、不限制反彈時間"}},
    {Window::Cli, "CliSettingId", Property::Caption, {"电机的 ID 和频道（先读取电机）", "the motor's ID and channels (after reading the motor)", "電機的 ID 和頻道（先讀取電機）"}},
    {Window::Cli, "CliSettingBaud", Property::Caption, {"电机串口的波特率；之后本程序以新波特率回读", "the motor's line rate; the read-back is at the new rate", "電機串口的鮑率；之後本程式以新鮑率回讀"}},
    {Window::Cli, "CliSettingForceId", Property::Caption, {"强制写入 ID 和频道，不先读取电机", "the forced ID and channel write, without reading the motor first", "強制寫入 ID 和頻道，不先讀取電機"}},
    {Window::Cli, "CliHelpProfile", Property::Caption,
     {"配置文件（read --json 的输出，apply 的输入）：{\"format\": \"tavik-motor-profile\", \"version\": 1, 名称: 取值, ...}；数字写作 JSON 数字，词写作字符串，functions 写作对象；每项设置均可省略。",
      "A profile (what read --json prints and apply takes): {\"format\": \"tavik-motor-profile\", \"version\": 1, NAME: VALUE, ...}; numbers as JSON numbers, words as strings, functions as an object; every setting may be left out.",
      "設定檔（read --json 的輸出，apply 的輸入）：{\"format\": \"tavik-motor-profile\", \"version\": 1, 名稱: 取值, ...}；數字寫作 JSON 數字，詞寫作字串，functions 寫作物件；每項設置均可省略。"}},
    {Window::Cli, "CliSeeHelp", Property::Caption, {"运行 tavik-cli --help 查看所有命令。", "Run tavik-cli --help for every command.", "執行 tavik-cli --help 查看所有命令。"}},
    {Window::Cli, "CliNoCommand", Property::Caption, {"缺少命令；可用：%1", "No command given; one of: %1", "缺少命令；可用：%1"}},
    {Window::Cli, "CliUnknownCommand", Property::Caption, {"未知命令 '%1'；可用：%2", "Unknown command '%1'; one of: %2", "未知命令 '%1'；可用：%2"}},
    {Window::Cli, "CliUnknownOption", Property::Caption, {"未知选项 '%1'；可用：--port、--baud、--json、--quiet、--dry-run、--watch、--help", "Unknown option '%1'; the options are --port, --baud, --json, --quiet, --dry-run, --watch, --help", "未知選項 '%1'；可用：--port、--baud、--json、--quiet、--dry-run、--watch、--help"}},
    {Window::Cli, "CliMissingValue", Property::Caption, {"选项 %1 缺少取值", "The option %1 needs a value", "選項 %1 缺少取值"}},
    {Window::Cli, "CliMissingArgument", Property::Caption, {"命令 %1 缺少参数：%2", "The command %1 is missing an argument: %2", "命令 %1 缺少參數：%2"}},
    {Window::Cli, "CliExtraArgument", Property::Caption, {"多余的参数 '%1'：%2", "Unexpected argument '%1': %2", "多餘的參數 '%1'：%2"}},
    {Window::Cli, "CliOptionOnlyWith", Property::Caption, {"选项 %1 只能用于 %2", "The option %1 goes only with %2", "選項 %1 只能用於 %2"}},
    {Window::Cli, "CliBadNumber", Property::Caption, {"%1：不允许 '%2'（允许：%3）", "%1: '%2' is not allowed (allowed: %3)", "%1：不允許 '%2'（允許：%3）"}},
    {Window::Cli, "CliBadValue", Property::Caption, {"%1：不允许 '%2'（允许：%3）", "%1: '%2' is not allowed (allowed: %3)", "%1：不允許 '%2'（允許：%3）"}},
    {Window::Cli, "CliBadSwitch", Property::Caption, {"%1：不允许 '%2'（允许：%3|%4）", "%1: '%2' is not allowed (allowed: %3|%4)", "%1：不允許 '%2'（允許：%3|%4）"}},
    {Window::Cli, "CliUnknownSetting", Property::Caption, {"未知设置 '%1'；可用：%2", "Unknown setting '%1'; one of: %2", "未知設置 '%1'；可用：%2"}},
    {Window::Cli, "CliBadTarget", Property::Caption, {"TARGET '%1' 不是 ID:频道（例如 5:1,3 或 group:all）", "TARGET '%1' is not ID:CHANNELS (e.g. 5:1,3 or group:all)", "TARGET '%1' 不是 ID:頻道（例如 5:1,3 或 group:all）"}},
    {Window::Cli, "CliBadTargetId", Property::Caption, {"ID：不允许 '%1'（允许：1..99、group 或 0）", "ID: '%1' is not allowed (allowed: 1..99, group or 0)", "ID：不允許 '%1'（允許：1..99、group 或 0）"}},
    {Window::Cli, "CliBadChannel", Property::Caption, {"CHANNELS：不允许 '%1'（允许：1..16 的列表，如 1,3,12，或 all）", "CHANNELS: '%1' is not allowed (allowed: a list of 1..16 like 1,3,12, or all)", "CHANNELS：不允許 '%1'（允許：1..16 的列表，如 1,3,12，或 all）"}},
    {Window::Cli, "CliOneMotor", Property::Caption, {"%1 需要一个 ID（1..99）和一个频道，而不是 '%2'", "%1 needs one ID (1..99) and one channel, not '%2'", "%1 需要一個 ID（1..99）和一個頻道，而不是 '%2'"}},
    {Window::Cli, "CliFileUnreadable", Property::Caption, {"无法读取 %1：%2", "Cannot read %1: %2", "無法讀取 %1：%2"}},
    {Window::Cli, "CliProfileTooLarge", Property::Caption, {"不是配置文件：超过 %1 字节", "not a profile: larger than %1 bytes", "不是設定檔：超過 %1 位元組"}},
    {Window::Cli, "CliProfileBroken", Property::Caption, {"不是有效的 JSON（第 %1 字节：%2）", "not valid JSON (at byte %1: %2)", "不是有效的 JSON（第 %1 位元組：%2）"}},
    {Window::Cli, "CliProfileNotObject", Property::Caption, {"不是配置文件：需要一个 JSON 对象", "not a profile: a JSON object is expected", "不是設定檔：需要一個 JSON 物件"}},
    {Window::Cli, "CliProfileForeign", Property::Caption, {"不是本程序的配置文件：需要 \"format\": \"%1\" 和 \"version\": %2", "not a Tavik profile: \"format\": \"%1\" and \"version\": %2 are expected", "不是本程式的設定檔：需要 \"format\": \"%1\" 和 \"version\": %2"}},
    {Window::Cli, "CliProfileUnknownKey", Property::Caption, {"未知字段 '%1'；可用：format、version、%2", "unknown field '%1'; the fields are format, version, %2", "未知欄位 '%1'；可用：format、version、%2"}},
    {Window::Cli, "CliProfileType", Property::Caption, {"字段 %1 的类型错误：需要%2", "field %1 has the wrong type: %2 expected", "欄位 %1 的類型錯誤：需要%2"}},
    {Window::Cli, "CliJsonNumber", Property::Caption, {"数字", "a number", "數字"}},
    {Window::Cli, "CliJsonString", Property::Caption, {"字符串", "a string", "字串"}},
    {Window::Cli, "CliJsonObject", Property::Caption, {"对象", "an object", "物件"}},
    {Window::Cli, "CliNoPorts", Property::Caption, {"没有找到串口。", "No serial port found.", "沒有找到串口。"}},
    {Window::Cli, "CliSeveralPorts", Property::Caption, {"有多个串口，请用 --port 选择其中一个：", "Several serial ports are present; choose one with --port:", "有多個串口，請用 --port 選擇其中一個："}},
    {Window::Cli, "CliPortNotOpened", Property::Caption, {"无法打开串口 %1。", "The port %1 could not be opened.", "無法開啟串口 %1。"}},
    {Window::Cli, "CliNoAnswerScan", Property::Caption, {"在 1200 到 19200 的任何波特率下都没有电机应答。", "No motor answered at any rate from 1200 to 19200 bps.", "在 1200 到 19200 的任何鮑率下都沒有電機應答。"}},
    {Window::Cli, "CliNoAnswer", Property::Caption, {"电机没有应答设置读取。", "The motor did not answer the settings read.", "電機沒有應答設置讀取。"}},
    {Window::Cli, "CliNoExtended", Property::Caption, {"电机没有发送扩展设置。", "The motor did not send its extended settings.", "電機沒有發送擴充設置。"}},
    {Window::Cli, "CliScanFound", Property::Caption, {"找到电机：%1 bps，ID %2，频道 %3", "Motor found at %1 bps: ID %2, channels %3", "找到電機：%1 bps，ID %2，頻道 %3"}},
    {Window::Cli, "CliConfirmed", Property::Caption, {"%1 %2：已确认", "%1 %2: confirmed", "%1 %2：已確認"}},
    {Window::Cli, "CliNotConfirmed", Property::Caption, {"%1 %2 未确认：回读 %3 次都不是该值", "%1 %2 was not confirmed: %3 read-backs did not show it", "%1 %2 未確認：回讀 %3 次都不是該值"}},
    {Window::Cli, "CliPlanChange", Property::Caption, {"%1：%2 -> %3", "%1: %2 -> %3", "%1：%2 -> %3"}},
    {Window::Cli, "CliPlanSwitches", Property::Caption, {"%1：改为 %2", "%1: change to %2", "%1：改為 %2"}},
    {Window::Cli, "CliPlanNothing", Property::Caption, {"电机已具有配置文件中的每项设置，无需写入。", "The motor already has every setting of the profile; nothing to write.", "電機已具有設定檔中的每項設置，無需寫入。"}},
    {Window::Cli, "CliDryRun", Property::Caption, {"试运行：未写入任何内容。", "Dry run: nothing was written.", "試運行：未寫入任何內容。"}},
    {Window::Cli, "CliSent", Property::Caption, {"%1 已发送两次到 %2", "%1 sent twice to %2", "%1 已發送兩次到 %2"}},
    {Window::Cli, "CliStatusPosition", Property::Caption, {"位置 %1 %", "position %1 %", "位置 %1 %"}},
    {Window::Cli, "CliStatusUnknown", Property::Caption, {"位置未知", "position unknown", "位置未知"}},
    {Window::Cli, "CliStatusLimits", Property::Caption, {"限位点 %1", "limit points %1", "限位點 %1"}},
    {Window::Cli, "CliStatusNoLimits", Property::Caption, {"没有限位点", "no limit points", "沒有限位點"}},
    {Window::Cli, "CliStatusSilent", Property::Caption, {"电机没有应答", "the motor does not answer", "電機沒有應答"}},
    {Window::Cli, "CliNoStatus", Property::Caption, {"%1 没有应答状态查询。", "%1 did not answer the status poll.", "%1 沒有應答狀態查詢。"}},
    {Window::Cli, "CliInterrupted", Property::Caption, {"已中断。", "Interrupted.", "已中斷。"}},
    {Window::Cli, "CliInterruptedWrite", Property::Caption, {"已中断：%1 未确认。", "Interrupted: %1 is not confirmed.", "已中斷：%1 未確認。"}},
    {Window::Cli, "CliMonitorSent", Property::Caption, {"发送", "sent", "發送"}},
    {Window::Cli, "CliMonitorReceived", Property::Caption, {"接收", "received", "接收"}},
    {Window::Cli, "CliMonitorDiscarded", Property::Caption, {"丢弃", "discarded", "丟棄"}},
    {Window::Cli, "CliMonitorPort", Property::Caption, {"串口", "port", "串口"}},
};

const std::pair<const char *, QString MessageTexts::*> kMessages[] = {
    {"GroupCaption", &MessageTexts::groupCaption},
    {"MsgSelectId", &MessageTexts::selectId},
    {"MsgSelectChannel", &MessageTexts::selectChannel},
    {"MsgSelectPort", &MessageTexts::selectPort},
    {"MsgSetSuccess", &MessageTexts::setSuccess},
    {"MsgSetFailure", &MessageTexts::setFailure},
    {"MsgPortLost", &MessageTexts::portLost},
    {"MsgPortBusy", &MessageTexts::portBusy},
    {"MsgPortDenied", &MessageTexts::portDenied},
    {"MsgPortOwnerOnly", &MessageTexts::portOwnerOnly},
    {"MsgPortMissing", &MessageTexts::portMissing},
    {"MsgIdOutOfRange", &MessageTexts::idOutOfRange},
    {"MsgValueOutOfRange", &MessageTexts::valueOutOfRange},
};

}  // namespace

std::span<const LanguageRow> LanguageTable()
{
    return kRows;
}

QList<RowTarget> LanguageRow::targets(const char *value) const
{
    const QString text = QString::fromUtf8(value);
    if (numbered == 0)
        return {{QLatin1String(objectName), text}};
    QList<RowTarget> all;
    for (int n = 1; n <= numbered; ++n) {
        const QString number = QString::number(n);
        all.append({QLatin1String(objectName) + number, QString(text).replace(QLatin1String("%1"), number)});
    }
    return all;
}

namespace {

constexpr std::pair<Language, const char *> kCodes[] = {
    {Language::SimplifiedChinese, "zh_CN"}, {Language::English, "en"}, {Language::TraditionalChinese, "zh_TW"}};

}  // namespace

std::optional<Language> languageFromCode(QStringView code)
{
    for (const auto &[language, name] : kCodes)
        if (code == QLatin1String(name))
            return language;
    return std::nullopt;
}

const char *windowName(Window window)
{
    switch (window) {
    case Window::Main: return "Main";
    case Window::Manual: return "Manual";
    case Window::Settings: return "Settings";
    case Window::IdSet: return "IdSet";
    case Window::Monitor: return "Monitor";
    case Window::Cli: return "Cli";
    }
    return "?";
}

QString *messageField(MessageTexts &texts, const char *name)
{
    for (const auto &[member, field] : kMessages) {
        if (std::strcmp(member, name) == 0)
            return &(texts.*field);
    }
    return nullptr;
}

QString text(const char *objectNameOrMessage, Language lang, Window window)
{
    for (const LanguageRow &row : kRows) {
        if (row.window == window && std::strcmp(row.objectName, objectNameOrMessage) == 0
            && (row.property == Property::Caption || row.property == Property::Hint
                || row.property == Property::Message || row.property == Property::Word))
            return QString::fromUtf8(row.value(lang));
    }
    return {};
}
