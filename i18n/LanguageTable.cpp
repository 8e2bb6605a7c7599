#include "LanguageTable.h"

#include "MessageTexts.h"

#include <cstring>

namespace {

// Both GroupCaption rows share these values, so the two lists can never
// disagree with each other or with the ID selection that compares against it.
constexpr std::array<const char *, 3> kGroupCaption {"群控", "Group", "群控"};

// Columns: Simplified Chinese, English, Traditional Chinese, then the start
// text where a window begins with another wording.  Leading and trailing
// blanks belong to the texts.  One row a line, as a table reads best.
// clang-format off
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
    // An ID write that was not sent: the line was asked first.
    {Window::Main, "MsgIdWriteNoneAnswered", Property::Message,
     {"  没有电机应答，未写入 ID。写入 ID 会送达线路上的每一台电机，所以线路上只能连接一台电机 !  ",
      "  No motor answered, so no ID was written. An ID write reaches every motor on the line, so only one motor may be connected !  ",
      "  沒有電機應答，未寫入 ID。寫入 ID 會送達線路上的每一台電機，所以線路上只能連接一台電機 !  "}},
    {Window::Main, "MsgIdWriteSeveral", Property::Message,
     {"  有多台电机应答，未写入 ID。写入 ID 会送达线路上的每一台电机，所以线路上只能连接一台电机 !  ",
      "  More than one motor answered, so no ID was written. An ID write reaches every motor on the line, so only one motor may be connected !  ",
      "  有多台電機應答，未寫入 ID。寫入 ID 會送達線路上的每一台電機，所以線路上只能連接一台電機 !  "}},
    {Window::Main, "MsgIdWriteGarbled", Property::Message,
     {"  多台电机同时应答，应答无法识别，未写入 ID。写入 ID 会送达线路上的每一台电机，所以线路上只能连接一台电机 !  ",
      "  Several motors answered at once and the answer was garbled, so no ID was written. An ID write reaches every motor on the line, so only one motor may be connected !  ",
      "  多台電機同時應答，應答無法識別，未寫入 ID。寫入 ID 會送達線路上的每一台電機，所以線路上只能連接一台電機 !  "}},
    {Window::Main, "MsgSetFailureSilent", Property::Message,
     {"电机没有应答。", "The motor did not answer.", "電機沒有應答。"}},
    {Window::Main, "MsgSetFailureOtherValue", Property::Message,
     {"电机应答了另一个值。", "The motor answered with another value.", "電機應答了另一個值。"}},
    {Window::Main, "MsgSettingsDefaults", Property::Message,
     {"没有电机应答：这里显示的是默认值，不是电机的设置。",
      "No motor answered: these are default values, not the motor's.",
      "沒有電機應答：這裡顯示的是預設值，不是電機的設置。"}},
    {Window::Main, "MsgSettingsDefaultsSeveral", Property::Message,
     {"多个电机同时应答：显示的是默认值。请选择一个电机 ID 再读取。",
      "Several motors answered at once: defaults shown. Choose a motor's ID and read again.",
      "多個電機同時應答：顯示的是預設值。請選擇一個電機 ID 再讀取。"}},
    {Window::Main, "MsgSettingsWriteSeveral", Property::Message,
     {"  上次读取时多个电机同时应答，未写入：写入会改变所有这些电机。请选择一个电机 ID 再读取 !  ",
      "  Several motors answered the last read at once, so nothing was written: a write would change them all. Choose a motor's ID and read again !  ",
      "  上次讀取時多個電機同時應答，未寫入：寫入會改變所有這些電機。請選擇一個電機 ID 再讀取 !  "}},
    // The status line under the panel.
    {Window::Main, "MsgStatusPort", Property::Message, {"%1，%2 波特", "%1, %2 bit/s", "%1，%2 波特"}},
    {Window::Main, "MsgStatusNoPort", Property::Message, {"未打开串口", "No port open", "未開啟串口"}},
    {Window::Main, "MsgStatusScanning", Property::Message, {"正在查找电机…", "Looking for a motor…", "正在查找電機…"}},
    {Window::Main, "MsgStatusMotorAddressed", Property::Message,
     {"电机 %1:%2，%3 波特", "Motor %1:%2 at %3 bit/s", "電機 %1:%2，%3 波特"}},
    {Window::Main, "MsgStatusMotorSilent", Property::Message,
     {"电机 %1:%2，%3 波特：没有应答", "Motor %1:%2 at %3 bit/s: no answer", "電機 %1:%2，%3 波特：沒有應答"}},
    {Window::Main, "MsgStatusGroupAddressed", Property::Message,
     {"群控，频道 %1，%2 波特", "Group control, channels %1 at %2 bit/s", "群控，頻道 %1，%2 波特"}},
    {Window::Main, "MsgStatusNoAnswer", Property::Message, {"没有电机应答", "No motor answered", "沒有電機應答"}},
    {Window::Main, "MsgStatusSeveralAnswered", Property::Message,
     {"多个电机同时应答，请选择一个电机 ID", "Several motors answered at once: choose a motor's ID",
      "多個電機同時應答，請選擇一個電機 ID"}},
    {Window::Main, "MsgStatusIdOutOfRange", Property::Message,
     {"电机应答的 ID 超出 1-99", "A motor answered with an ID outside 1-99", "電機應答的 ID 超出 1-99"}},
    {Window::Main, "MsgStatusPortLost", Property::Message,
     {"串口 %1 已断开，等待其重新接入", "Port %1 lost, waiting for it to come back", "串口 %1 已斷開，等待其重新接入"}},
    {Window::Main, "MsgStatusPortBack", Property::Message,
     {"串口 %1 已重新接入，正在查找电机…", "Port %1 is back, looking for the motor…", "串口 %1 已重新接入，正在查找電機…"}},
    {Window::Main, "MsgStatusLastAnswer", Property::Message,
     {"上次应答：%1 秒前", "Last answer %1 s ago", "上次應答：%1 秒前"}},
    {Window::Main, "MsgPortLost", Property::Message,
     {"  串口已断开，正在等待它重新接入。接入后本提示自动关闭。  ",
      "  The serial port was lost. Waiting for it to come back; this note closes by itself when it does.  ",
      "  串口已斷開，正在等待它重新接入。接入後本提示自動關閉。  "}},
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
    {Window::Main, "InventoryMenu", Property::Caption, {"线路上的电机", "Motors on this line", "線路上的電機"}},
    {Window::Main, "InvTitle", Property::Word, {"线路上的电机", "Motors on this line", "線路上的電機"}},
    {Window::Main, "InvSearch", Property::Word, {"重新搜索", "Search again", "重新搜尋"}},
    {Window::Main, "InvStop", Property::Word, {"停止搜索", "Stop searching", "停止搜尋"}},
    {Window::Main, "InvChoose", Property::Word, {"在面板中选择", "Select in the panel", "在面板中選擇"}},
    {Window::Main, "InvColId", Property::Word, {"ID", "ID", "ID"}},
    {Window::Main, "InvColChannels", Property::Word, {"频道", "Channels", "頻道"}},
    {Window::Main, "InvColRate", Property::Word, {"波特率", "Rate", "鮑率"}},
    {Window::Main, "InvColPosition", Property::Word, {"位置", "Position", "位置"}},
    {Window::Main, "InvUnknown", Property::Word, {"未知", "unknown", "未知"}},
    {Window::Main, "InvCollision", Property::Word,
     {"两台或更多电机同时应答", "two or more motors answer at once", "兩台或更多電機同時應答"}},
    {Window::Main, "InvListening", Property::Word, {"在 %1 bps 上监听…", "Listening at %1 bps…", "在 %1 bps 上監聽…"}},
    {Window::Main, "InvProgress", Property::Word,
     {"已查询 %1/%2，ID %3，已找到 %4 台电机", "Polled %1 of %2, ID %3, %4 motor(s) found",
      "已查詢 %1/%2，ID %3，已找到 %4 台電機"}},
    {Window::Main, "InvDone", Property::Word,
     {"搜索完成：%1 台电机，%2 处冲突", "Search complete: %1 motor(s), %2 collision(s)",
      "搜尋完成：%1 台電機，%2 處衝突"}},
    {Window::Main, "InvStopped", Property::Word,
     {"搜索已停止：%1 台电机，%2 处冲突；其余未查询", "Search stopped: %1 motor(s), %2 collision(s); the rest was not polled",
      "搜尋已停止：%1 台電機，%2 處衝突；其餘未查詢"}},
    {Window::Main, "InvNoPort", Property::Word,
     {"串口未打开，无法搜索", "The port is not open: nothing to search", "串口未開啟，無法搜尋"}},
    {Window::Main, "InvSearchStart", Property::Word, {"开始搜索", "Search", "開始搜尋"}},
    {Window::Main, "InvContinue", Property::Word, {"继续搜索", "Continue searching", "繼續搜尋"}},
    {Window::Main, "InvPaused", Property::Word,
     {"搜索已暂停：已找到 %1 台电机，%2 处冲突", "Search paused: %1 motor(s), %2 collision(s) so far",
      "搜尋已暫停：已找到 %1 台電機，%2 處衝突"}},
    {Window::Main, "InvTimeLeft", Property::Word, {"约剩 %1", "About %1 left", "約剩 %1"}},
    {Window::Monitor, "", Property::Caption, {"总线监视", "Bus Monitor", "總線監視"}},
    {Window::Monitor, "PauseButton", Property::Caption, {"暂停", "Pause", "暫停"}},
    {Window::Monitor, "ClearButton", Property::Caption, {"清除", "Clear", "清除"}},
    {Window::Monitor, "HidePollsBox", Property::Caption, {"隐藏状态查询及其应答", "Hide status polls and their answers", "隱藏狀態查詢及其應答"}},
    {Window::Monitor, "SaveButton", Property::Caption, {"保存…", "Save…", "儲存…"}},
    {Window::Monitor, "MonitorExitButton", Property::Caption, {"关闭", "Close", "關閉"}},
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
    {Window::Monitor, "MonWriteCurtainFunctions", Property::Word, {"写开合帘功能 %1", "write curtain functions %1", "寫開合簾功能 %1"}},
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
    {Window::Monitor, "MonCurtainFunctions", Property::Word, {"开合帘功能 %1", "curtain functions %1", "開合簾功能 %1"}},
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
    {Window::Monitor, "MonCollision", Property::Word, {"多台电机同时应答", "several motors answered at once", "多台電機同時應答"}},
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
};

// The texts of the programs without windows, each named by its id
// (TextIds.h).  Applying a language leaves them alone.
constexpr ProgramRow kProgramRows[] = {
    // 22. Command-line tool (tavik-cli): its messages and help, which no window shows.  Its
    // English is what it prints; setting, option and command names stay as typed.
    {Program::Cli, "CliHelpUsage", {"用法：", "Usage:", "用法："}},
    {Program::Cli, "CliHelpCommands", {"命令：", "Commands:", "命令："}},
    {Program::Cli, "CliHelpOptions", {"选项：", "Options:", "選項："}},
    {Program::Cli, "CliHelpExample", {"示例：", "Example:", "範例："}},
    // What each command does, beside its syntax in the help.
    {Program::Cli, "CliCmdPorts",
     {"列出串口：名称、说明、设备路径；标出 USB 适配器",
      "list the serial ports: name, description, device path; USB adapters are marked",
      "列出串口：名稱、說明、裝置路徑；標出 USB 轉接器"}},
    {Program::Cli, "CliCmdSettings",
     {"列出每项设置及其取值、范围、单位和默认值", "list every setting with its values, range, unit and default",
      "列出每項設定及其取值、範圍、單位和預設值"}},
    {Program::Cli, "CliCmdScan",
     {"查找线路波特率和应答的电机；输出波特率、ID 和频道；加 --all 时列出线路上的每台电机",
      "find the line rate and the motor that answers; print rate, ID and channels; with --all every motor on the line",
      "尋找線路鮑率和應答的電機；輸出鮑率、ID 和頻道；加 --all 時列出線路上的每台電機"}},
    {Program::Cli, "CliCmdRead",
     {"读取电机的设置；加 --json 时输出电机的配置文件", "read a motor's settings; with --json a profile of the motor",
      "讀取電機的設定；加 --json 時輸出電機的設定檔"}},
    {Program::Cli, "CliCmdSet",
     {"向电机写入一项设置，再回读确认", "write one setting to a motor, then confirm it by reading it back",
      "向電機寫入一項設定，再回讀確認"}},
    {Program::Cli, "CliCmdApply",
     {"写入配置文件中与各电机不同的每项设置，逐项确认；ID、频道和波特率仅在加 --address 时写入",
      "write every setting of a profile that differs from each motor, each confirmed; ID, channels and rate only with --address",
      "寫入設定檔中與各電機不同的每項設定，逐項確認；ID、頻道和鮑率僅在加 --address 時寫入"}},
    {Program::Cli, "CliCmdUp", {"上行", "run up", "上行"}},
    {Program::Cli, "CliCmdStop", {"停止", "stop", "停止"}},
    {Program::Cli, "CliCmdDown", {"下行", "run down", "下行"}},
    {Program::Cli, "CliCmdLearn", {"学习（配对）遥控器编码", "learn (pair) a remote code", "學習（配對）遙控器編碼"}},
    {Program::Cli, "CliCmdDelete", {"删除遥控器编码", "delete a remote code", "刪除遙控器編碼"}},
    {Program::Cli, "CliCmdGoto",
     {"运行到 0..100 % 的位置（每个目标一个 ID、一个频道）",
      "run to a position of 0..100 % (each target one ID, one channel)",
      "運行到 0..100 % 的位置（每個目標一個 ID、一個頻道）"}},
    {Program::Cli, "CliCmdLimit",
     {"运行到中间限位点 1..4", "run to intermediate limit point 1..4", "運行到中間限位點 1..4"}},
    {Program::Cli, "CliCmdStatus",
     {"位置和限位点；加 --watch 时输出每次变化，直到 Ctrl-C",
      "position and limit points; --watch prints each change until Ctrl-C",
      "位置和限位點；加 --watch 時輸出每次變化，直到 Ctrl-C"}},
    {Program::Cli, "CliCmdMonitor",
     {"收听并输出线路上的每一帧，双向，带时间和含义，直到 Ctrl-C；除非给出 --poll，否则不发送任何帧",
      "listen and print every frame on the line, both directions, with time and meaning, until Ctrl-C; sends nothing unless --poll is given",
      "收聽並輸出線路上的每一幀，雙向，附時間和含義，直到 Ctrl-C；除非給出 --poll，否則不發送任何幀"}},
    {Program::Cli, "CliListening",
     {"以 %1 bps 收听 %2，不发送任何帧（--baud 选择速率，--poll TARGET 轮询一个电机）。",
      "Listening at %1 bps on %2, sending nothing (--baud chooses the rate, --poll TARGET polls a motor).",
      "以 %1 bps 收聽 %2，不發送任何幀（--baud 選擇速率，--poll TARGET 輪詢一個電機）。"}},
    // The kind of bytes dropped, where the bus monitor's word differs.
    {Program::Cli, "CliCutOff", {"应答不完整", "cut-off", "應答不完整"}},
    {Program::Cli, "CliHelpOptPort",
     {"串口设备（或 TAVIK_PORT）；默认为唯一存在的 USB 串口适配器",
      "the serial device (or TAVIK_PORT); default: the only USB serial adapter present",
      "串口裝置（或 TAVIK_PORT）；預設為唯一存在的 USB 串口轉接器"}},
    {Program::Cli, "CliHelpOptBaud",
     {"auto（扫描，默认）或固定波特率 1200|2400|4800|9600|19200（或 TAVIK_BAUD）",
      "auto (scan, the default) or a fixed rate 1200|2400|4800|9600|19200 (or TAVIK_BAUD)",
      "auto（掃描，預設）或固定鮑率 1200|2400|4800|9600|19200（或 TAVIK_BAUD）"}},
    {Program::Cli, "CliHelpOptTarget",
     {"电机：ID:CHANNELS；apply 可多次给出；默认为应答的电机",
      "the motor: ID:CHANNELS; apply takes it several times; default: the motor that answers",
      "電機：ID:CHANNELS；apply 可多次給出；預設為應答的電機"}},
    {Program::Cli, "CliHelpOptAddress",
     {"apply：同时写入配置文件中的 ID、频道和波特率（不加此选项则保留）",
      "apply: write the profile's ID, channels and line rate too (kept without it)",
      "apply：同時寫入設定檔中的 ID、頻道和鮑率（不加此選項則保留）"}},
    {Program::Cli, "CliHelpOptForce",
     {"set：不先询问该 ID 上的电机就写入（ID 共用时会改变所有应答的电机）；set id：不先询问线路就写入 ID（用于无法读取的电机）",
      "set: write without asking the motor's ID first (on a shared ID every motor there takes it); set id: write the ID without asking the line first (a motor that cannot be read)",
      "set：不先詢問該 ID 上的電機就寫入（ID 共用時會改變所有應答的電機）；set id：不先詢問線路就寫入 ID（用於無法讀取的電機）"}},
    {Program::Cli, "CliHelpOptPoll",
     {"monitor：轮询这个电机的状态（不加此选项则只收听）",
      "monitor: poll this motor's status (without it, only listen)",
      "monitor：輪詢這個電機的狀態（不加此選項則只收聽）"}},
    {Program::Cli, "CliHelpOptDryRun", {"apply：只显示计划，不写入", "apply: print the plan, write nothing", "apply：只顯示計劃，不寫入"}},
    {Program::Cli, "CliHelpOptWatch",
     {"status：显示每次变化直到中断（Ctrl-C）",
      "status: print each change until interrupted (Ctrl-C)",
      "status：顯示每次變化直到中斷（Ctrl-C）"}},
    {Program::Cli, "CliHelpOptAll",
     {"scan：逐个 ID 和频道查询，列出线路上每台电机的 ID、频道、波特率和位置",
      "scan: poll every ID and channel and list every motor on the line: ID, channels, rate, position",
      "scan：逐個 ID 和頻道查詢，列出線路上每台電機的 ID、頻道、鮑率和位置"}},
    {Program::Cli, "CliHelpOptIds",
     {"scan --all：只查询这些 ID（如 1-12），默认 1-99", "scan --all: poll only these IDs (e.g. 1-12); default 1-99",
      "scan --all：只查詢這些 ID（如 1-12），預設 1-99"}},
    {Program::Cli, "CliHelpOptChannels",
     {"scan --all：只查询这些频道（如 1-3 或 1,5,9），默认 1-16",
      "scan --all: poll only these channels (e.g. 1-3 or 1,5,9); default 1-16",
      "scan --all：只查詢這些頻道（如 1-3 或 1,5,9），預設 1-16"}},
    {Program::Cli, "CliHelpOptJson", {"每行输出一条 JSON 记录，包括错误", "print one JSON record per line, errors included", "每行輸出一筆 JSON 記錄，包括錯誤"}},
    {Program::Cli, "CliHelpOptQuiet",
     {"不显示计划和确认信息，只显示错误和数据",
      "leave out plans and confirmations; errors and data only",
      "不顯示計劃和確認訊息，只顯示錯誤和資料"}},
    {Program::Cli, "CliHelpOptLog",
     {"把本次运行的每一帧和每个结果追加到 FILE",
      "append every frame and every result of the run to FILE",
      "把本次執行的每一幀和每個結果附加到 FILE"}},
    {Program::Cli, "CliHelpOptHelp",
     {"显示帮助（某个命令的帮助：COMMAND --help 或 help COMMAND）",
      "show the help (of a command: COMMAND --help or help COMMAND)",
      "顯示說明（某個命令的說明：COMMAND --help 或 help COMMAND）"}},
    {Program::Cli, "CliHelpOptVersion", {"显示版本", "show the version", "顯示版本"}},
    {Program::Cli, "CliHelpTarget",
     {"TARGET 为 ID:CHANNELS：ID 为 1..99，或 group / 0 表示群控；CHANNELS 为频道列表，如 1,3,12，或 all。单个 ID 的单个频道由其状态应答确认；群控或多个频道无法明确应答，报告为已发送。",
      "TARGET is ID:CHANNELS: ID 1..99, or group / 0 for group control; CHANNELS a list like 1,3,12, or all. One ID on one channel is confirmed by its status answer; a group or several channels cannot answer unambiguously and is reported as sent.",
      "TARGET 為 ID:CHANNELS：ID 為 1..99，或 group / 0 表示群控；CHANNELS 為頻道列表，如 1,3,12，或 all。單一 ID 的單一頻道由其狀態應答確認；群控或多個頻道無法明確應答，回報為已發送。"}},
    {Program::Cli, "CliHelpSettings",
     {"设置名称和取值（set NAME VALUE；配置文件用同样的名称）：",
      "Setting names and values (set NAME VALUE; a profile uses the same names):",
      "設定名稱和取值（set NAME VALUE；設定檔用同樣的名稱）："}},
    {Program::Cli, "CliHelpProfile",
     {"配置文件（read --json 的输出，apply 的输入）：{\"format\": \"tavik-motor-profile\", \"version\": 1, NAME: VALUE, ...}；数字写作 JSON 数字，词写作字符串，functions 写作对象；每项设置均可省略。除非给出 --address，apply 保留电机的 ID、频道和波特率。",
      "A profile (what read --json prints and apply takes): {\"format\": \"tavik-motor-profile\", \"version\": 1, NAME: VALUE, ...}; numbers as JSON numbers, words as strings, functions as an object; every setting may be left out. apply keeps a motor's ID, channels and rate unless --address is given.",
      "設定檔（read --json 的輸出，apply 的輸入）：{\"format\": \"tavik-motor-profile\", \"version\": 1, NAME: VALUE, ...}；數字寫作 JSON 數字，詞寫作字串，functions 寫作物件；每項設定均可省略。除非給出 --address，apply 保留電機的 ID、頻道和鮑率。"}},
    {Program::Cli, "CliHelpEnvironment",
     {"环境变量：TAVIK_PORT 代替 --port，TAVIK_BAUD 代替 --baud。",
      "Environment: TAVIK_PORT stands for --port, TAVIK_BAUD for --baud.",
      "環境變數：TAVIK_PORT 代替 --port，TAVIK_BAUD 代替 --baud。"}},
    {Program::Cli, "CliHelpExit",
     {"退出码：0 完成并已确认（群控或多个频道则为已发送）；1 有电机未应答或未确认；2 用法错误（未发送任何内容）；3 无法打开串口；130 已中断（Ctrl-C）；143 被 SIGTERM 结束。有多个目标时，取其中最差的结果。",
      "Exit codes: 0 done and confirmed (or sent, for a group or several channels); 1 a motor did not answer or confirm; 2 usage error (nothing was sent); 3 the port could not be opened; 130 interrupted (Ctrl-C); 143 ended by SIGTERM. With several targets, the worst of them.",
      "結束碼：0 完成並已確認（群控或多個頻道則為已發送）；1 有電機未應答或未確認；2 用法錯誤（未發送任何內容）；3 無法開啟串口；130 已中斷（Ctrl-C）；143 被 SIGTERM 結束。有多個目標時，取其中最差的結果。"}},
    {Program::Cli, "CliDefault", {"默认 %1", "default %1", "預設 %1"}},
    {Program::Cli, "CliSettingDryContact",
     {"干接点控制方式：0 上+下为停（3、4 线共用），1 单键循环（上-停-下-停），2 上上停、下下停，3 松手停，4 任意停",
      "dry-contact control mode: 0 up and down together stop (wires 3 and 4 shared), 1 one key cycles up-stop-down-stop, 2 up again or down again stops, 3 stops when released, 4 any key stops",
      "幹接點控制方式：0 上+下為停（3、4 線共用），1 單鍵循環（上-停-下-停），2 上上停、下下停，3 鬆手停，4 任意停"}},
    {Program::Cli, "CliSettingSpeed", {"电机最大转速", "the motor's maximum speed", "電機最大轉速"}},
    {Program::Cli, "CliSettingFunctions",
     {"七个开合帘功能：手拉启动、运行方向、慢启动、到行程留间隙、遇阻停止、断电记忆行程、手控同步；只改写所列的开关",
      "the seven curtain functions: hand-pull start, running direction, soft start, gap at end of travel, stop on obstacle, travel memory after power loss, hand-control synchronisation; only the ones named change",
      "七個開合簾功能：手拉啟動、運行方向、慢啟動、到行程留間隙、遇阻停止、斷電記憶行程、手控同步；只改寫所列的開關"}},
    {Program::Cli, "CliSettingJog", {"点动时间", "jog time", "點動時間"}},
    {Program::Cli, "CliSettingSensitivity", {"遇阻灵敏度", "obstruction sensitivity", "遇阻靈敏度"}},
    {Program::Cli, "CliSettingRebound",
     {"遇阻反弹：不反弹、反弹时间 1..254、不限制反弹时间",
      "rebound after an obstruction: none, for a time of 1..254, or unlimited",
      "遇阻反彈：不反彈、反彈時間 1..254、不限制反彈時間"}},
    {Program::Cli, "CliSettingId", {"电机的 ID 和频道（先读取电机）", "the motor's ID and channels (after reading the motor)", "電機的 ID 和頻道（先讀取電機）"}},
    {Program::Cli, "CliSettingBaud", {"电机串口的波特率；之后以新波特率回读", "the motor's line rate; the read-back is at the new rate", "電機串口的鮑率；之後以新鮑率回讀"}},
    {Program::Cli, "CliSettingForceId",
     {"强制写入 ID 和频道，不先读取电机",
      "the forced ID and channel write, without reading the motor first",
      "強制寫入 ID 和頻道，不先讀取電機"}},
    {Program::Cli, "CliForcedWrite",
     {"（未先询问线路就写入）", "(written without asking the line first)", "（未先詢問線路就寫入）"}},
    {Program::Cli, "CliIdValues",
     {"ID:CHANNELS（ID 为 1..%1 或 group，CHANNELS 为 1..%2 或 all）",
      "ID:CHANNELS (ID 1..%1 or group, CHANNELS 1..%2 or all)",
      "ID:CHANNELS（ID 為 1..%1 或 group，CHANNELS 為 1..%2 或 all）"}},
    {Program::Cli, "CliSeeHelp",
     {"运行 tavik-cli --help 查看所有命令，运行 tavik-cli help COMMAND 查看某个命令。",
      "Run tavik-cli --help for every command, tavik-cli help COMMAND for one.",
      "執行 tavik-cli --help 查看所有命令，執行 tavik-cli help COMMAND 查看某個命令。"}},
    {Program::Cli, "CliDidYouMean", {"；是否想输入 '%1'？", "; did you mean '%1'?", "；是否想輸入 '%1'？"}},
    {Program::Cli, "CliNoCommand", {"缺少命令；可用：%1", "No command given; one of: %1", "缺少命令；可用：%1"}},
    {Program::Cli, "CliUnknownCommand", {"未知命令 '%1'；可用：%2", "Unknown command '%1'; one of: %2", "未知命令 '%1'；可用：%2"}},
    {Program::Cli, "CliUnknownOption", {"未知选项 '%1'", "Unknown option '%1'", "未知選項 '%1'"}},
    {Program::Cli, "CliMissingValue", {"选项 %1 缺少取值", "The option %1 needs a value", "選項 %1 缺少取值"}},
    {Program::Cli, "CliMissingArgument", {"命令 %1 缺少参数：%2", "The command %1 is missing an argument: %2", "命令 %1 缺少參數：%2"}},
    {Program::Cli, "CliExtraArgument", {"多余的参数 '%1'：%2", "Unexpected argument '%1': %2", "多餘的參數 '%1'：%2"}},
    {Program::Cli, "CliOptionOnlyWith", {"选项 %1 只能用于 %2", "The option %1 goes only with %2", "選項 %1 只能用於 %2"}},
    {Program::Cli, "CliOneTarget",
     {"%1 只作用于一个电机：--target 只能给出一次",
      "%1 acts on one motor: give --target once",
      "%1 只作用於一個電機：--target 只能給出一次"}},
    {Program::Cli, "CliGroupWrite",
     {"%1 向一个电机写入设置：%2 是组，组写入无法确认。请以 ID:CHANNELS 指定电机（ID 1..99）",
      "%1 writes settings to one motor: %2 is a group, and a group write cannot be confirmed. Name the motor as ID:CHANNELS (ID 1..99)",
      "%1 向一個電機寫入設定：%2 是組，組寫入無法確認。請以 ID:CHANNELS 指定電機（ID 1..99）"}},
    {Program::Cli, "CliGroupId",
     {"ID 0 表示组，不是电机的 ID：电机的 ID 为 1..99",
      "ID 0 means the group, not a motor: a motor's ID is 1..99",
      "ID 0 表示組，不是電機的 ID：電機的 ID 為 1..99"}},
    {Program::Cli, "CliAddressOneTarget",
     {"--address 会写入 ID，线路上的每个电机都会收到：--target 最多给出一次",
      "--address writes an ID, which every motor on the line hears: give --target once at most",
      "--address 會寫入 ID，線路上的每個電機都會收到：--target 最多給出一次"}},
    {Program::Cli, "CliBadNumber", {"%1：不允许 '%2'（允许：%3）", "%1: '%2' is not allowed (allowed: %3)", "%1：不允許 '%2'（允許：%3）"}},
    {Program::Cli, "CliBadValue", {"%1：不允许 '%2'（允许：%3）", "%1: '%2' is not allowed (allowed: %3)", "%1：不允許 '%2'（允許：%3）"}},
    {Program::Cli, "CliBadFunctionWord", {"%1：不允许 '%2'（允许：%3|%4）", "%1: '%2' is not allowed (allowed: %3|%4)", "%1：不允許 '%2'（允許：%3|%4）"}},
    {Program::Cli, "CliUnknownSetting", {"未知设置 '%1'；可用：%2", "Unknown setting '%1'; one of: %2", "未知設定 '%1'；可用：%2"}},
    {Program::Cli, "CliBadTarget",
     {"TARGET '%1' 不是 ID:CHANNELS（例如 5:1,3 或 group:all）",
      "TARGET '%1' is not ID:CHANNELS (e.g. 5:1,3 or group:all)",
      "TARGET '%1' 不是 ID:CHANNELS（例如 5:1,3 或 group:all）"}},
    {Program::Cli, "CliBadTargetId",
     {"ID：不允许 '%1'（允许：1..99、group 或 0）",
      "ID: '%1' is not allowed (allowed: 1..99, group or 0)",
      "ID：不允許 '%1'（允許：1..99、group 或 0）"}},
    {Program::Cli, "CliBadChannel",
     {"CHANNELS：不允许 '%1'（允许：1..16 的列表，如 1,3,12，或 all）",
      "CHANNELS: '%1' is not allowed (allowed: a list of 1..16 like 1,3,12, or all)",
      "CHANNELS：不允許 '%1'（允許：1..16 的列表，如 1,3,12，或 all）"}},
    {Program::Cli, "CliOneMotor",
     {"%1 需要一个 ID（1..99）和一个频道，而不是 '%2'",
      "%1 needs one ID (1..99) and one channel, not '%2'",
      "%1 需要一個 ID（1..99）和一個頻道，而不是 '%2'"}},
    {Program::Cli, "CliFileUnreadable", {"无法读取 %1：%2", "Cannot read %1: %2", "無法讀取 %1：%2"}},
    {Program::Cli, "CliFileUnwritable", {"无法写入日志 %1：%2", "Cannot write the log %1: %2", "無法寫入記錄檔 %1：%2"}},
    {Program::Cli, "CliProfileTooLarge", {"不是配置文件：超过 %1 字节", "not a profile: larger than %1 bytes", "不是設定檔：超過 %1 位元組"}},
    {Program::Cli, "CliProfileBroken", {"不是有效的 JSON（第 %1 字节：%2）", "not valid JSON (at byte %1: %2)", "不是有效的 JSON（第 %1 位元組：%2）"}},
    {Program::Cli, "CliProfileNotObject", {"不是配置文件：需要一个 JSON 对象", "not a profile: a JSON object is expected", "不是設定檔：需要一個 JSON 物件"}},
    {Program::Cli, "CliProfileDuplicateKey",
     {"不是有效的配置文件：键 \"%1\" 出现了不止一次", "not a valid profile: the key \"%1\" appears more than once",
      "不是有效的設定檔：鍵 \"%1\" 出現了不止一次"}},
    {Program::Cli, "CliProfileForeign",
     {"不是 Tavik 配置文件：需要 \"format\": \"%1\" 和 \"version\": %2",
      "not a Tavik profile: \"format\": \"%1\" and \"version\": %2 are expected",
      "不是 Tavik 設定檔：需要 \"format\": \"%1\" 和 \"version\": %2"}},
    {Program::Cli, "CliProfileUnknownKey",
     {"未知字段 '%1'；可用字段：format, version, channels, rate, %2",
      "unknown field '%1'; the fields are format, version, channels, rate, %2",
      "未知欄位 '%1'；可用欄位：format, version, channels, rate, %2"}},
    {Program::Cli, "CliProfileType", {"字段 %1 的类型错误：需要%2", "field %1 has the wrong type: %2 expected", "欄位 %1 的類型錯誤：需要%2"}},
    {Program::Cli, "CliJsonNumber", {"数字", "a number", "數字"}},
    {Program::Cli, "CliJsonString", {"字符串", "a string", "字串"}},
    {Program::Cli, "CliJsonObject", {"对象", "an object", "物件"}},
    {Program::Cli, "CliJsonChannels", {"频道编号列表，并配合数字形式的 id", "a list of channel numbers beside a numeric id", "頻道編號列表，並搭配數字形式的 id"}},
    {Program::Cli, "CliPortsHeader", {"端口\tUSB\t说明", "PORT\tUSB\tDESCRIPTION", "連接埠\tUSB\t說明"}},
    {Program::Cli, "CliNoPorts", {"没有找到串口。", "No serial port found.", "沒有找到串口。"}},
    {Program::Cli, "CliNoAdapter",
     {"未给出 --port，且没有 USB 串口适配器。现有串口：",
      "No --port given and no USB serial adapter is present. The serial ports:",
      "未給出 --port，且沒有 USB 串口轉接器。現有串口："}},
    {Program::Cli, "CliSeveralAdapters",
     {"未给出 --port，且有多个 USB 串口适配器。现有串口：",
      "No --port given and several USB serial adapters are present. The serial ports:",
      "未給出 --port，且有多個 USB 串口轉接器。現有串口："}},
    {Program::Cli, "CliChoosePort",
     {"请用 --port PATH（或 TAVIK_PORT）选择其中一个。",
      "Choose one with --port PATH (or TAVIK_PORT).",
      "請用 --port PATH（或 TAVIK_PORT）選擇其中一個。"}},
    {Program::Cli, "CliUsingAdapter",
     {"使用 %1，唯一的 USB 串口适配器（%2）。",
      "Using %1, the only USB serial adapter (%2).",
      "使用 %1，唯一的 USB 串口轉接器（%2）。"}},
    {Program::Cli, "CliPortMissing",
     {"无法打开串口 %1：该串口不存在（没有此设备；适配器插好了吗？）。",
      "The port %1 could not be opened: it is not there (no such device; is the adapter plugged in?).",
      "無法開啟串口 %1：該串口不存在（沒有此裝置；轉接器插好了嗎？）。"}},
    {Program::Cli, "CliPortNotSerial",
     {"无法打开串口 %1：它不是串口设备。",
      "The port %1 could not be opened: it is not a serial device.",
      "無法開啟串口 %1：它不是串口裝置。"}},
    {Program::Cli, "CliPortDeniedGroup",
     {"无法打开串口 %1：没有权限。%2 组的成员可以打开它（sudo usermod -aG %2 $USER，然后重新登录）。",
      "The port %1 could not be opened: no permission. Members of the group %2 may open it (sudo usermod -aG %2 $USER, then log in again).",
      "無法開啟串口 %1：沒有權限。%2 群組的成員可以開啟它（sudo usermod -aG %2 $USER，然後重新登入）。"}},
    {Program::Cli, "CliPortDenied",
     {"无法打开串口 %1：没有权限（只有用户 %2 可以打开它）。",
      "The port %1 could not be opened: no permission (only the user %2 may open it).",
      "無法開啟串口 %1：沒有權限（只有使用者 %2 可以開啟它）。"}},
    {Program::Cli, "CliPortBusy",
     {"无法打开串口 %1：另一个进程正在占用它（fuser -v %1 可显示是哪个进程）。",
      "The port %1 could not be opened: another process holds it (fuser -v %1 shows which).",
      "無法開啟串口 %1：另一個行程正在佔用它（fuser -v %1 可顯示是哪個行程）。"}},
    {Program::Cli, "CliPortHeldBy",
     {"无法打开串口 %1：进程 %2 正在占用它。",
      "The port %1 could not be opened: process %2 holds it.",
      "無法打開串口 %1：行程 %2 正在佔用它。"}},
    {Program::Cli, "CliPortOther", {"无法打开串口 %1：%2", "The port %1 could not be opened: %2", "無法開啟串口 %1：%2"}},
    {Program::Cli, "CliPortLost",
     {"串口 %1 已断开（%2）；正在进行的操作未确认。",
      "The port %1 went away (%2); what was under way is not confirmed.",
      "串口 %1 已中斷連線（%2）；正在進行的操作未確認。"}},
    {Program::Cli, "CliWhere", {"在 %1 上以 %2 bps", "on %1 at %2 bps", "在 %1 上以 %2 bps"}},
    {Program::Cli, "CliWhereScan",
     {"在 %1 上以 1200 到 19200 bps 的任何波特率",
      "on %1 at any rate from 1200 to 19200 bps",
      "在 %1 上以 1200 到 19200 bps 的任何鮑率"}},
    {Program::Cli, "CliOnPort", {"（串口 %1）", "on %1", "（串口 %1）"}},
    {Program::Cli, "CliMonitorSent", {"发送", "sent", "發送"}},
    {Program::Cli, "CliMonitorReceived", {"接收", "received", "接收"}},
    {Program::Cli, "CliMonitorDiscarded", {"丢弃", "discarded", "丟棄"}},
    {Program::Cli, "CliMonitorPort", {"串口", "port", "串口"}},
    {Program::Cli, "CliOnlyOthers",
     {"只有其他电机应答（%1）", "only other motors answered (%1)", "只有其他電機應答（%1）"}},
    {Program::Cli, "CliNoBytes", {"没有收到任何字节", "no bytes came back", "沒有收到任何位元組"}},
    {Program::Cli, "CliInvalidBytes",
     {"收到了字节，但都不是有效的应答（%1 字节：%2）",
      "bytes came back but none was a valid answer (%1 bytes: %2)",
      "收到了位元組，但都不是有效的應答（%1 位元組：%2）"}},
    {Program::Cli, "CliNoMotor", {"%1 没有电机应答：%2。", "No motor answered %1: %2.", "%1 沒有電機應答：%2。"}},
    {Program::Cli, "CliNoAnswerFrom", {"电机 %1 %2 没有应答：%3。", "Motor %1 did not answer %2: %3.", "電機 %1 %2 沒有應答：%3。"}},
    {Program::Cli, "CliNoExtended",
     {"电机 %1 %2 没有发送扩展设置：%3。",
      "Motor %1 did not send its extended settings %2: %3.",
      "電機 %1 %2 沒有發送擴充設定：%3。"}},
    {Program::Cli, "CliScanFound", {"找到电机：%1 bps，ID %2，频道 %3", "Motor found at %1 bps: ID %2, channels %3", "找到電機：%1 bps，ID %2，頻道 %3"}},
    {Program::Cli, "CliInventoryMotor",
     {"电机 %1：%2 bps，位置 %3", "Motor %1: %2 bps, position %3", "電機 %1：%2 bps，位置 %3"}},
    {Program::Cli, "CliInventoryPositionUnknown", {"未知", "unknown", "未知"}},
    {Program::Cli, "CliInventoryCollision",
     {"%1（%2 bps）：两台或更多电机同时应答，无法区分",
      "%1 at %2 bps: two or more motors answer at once and cannot be told apart",
      "%1（%2 bps）：兩台或更多電機同時應答，無法區分"}},
    {Program::Cli, "CliInventoryListening",
     {"在 %1 bps 上监听…", "listening at %1 bps…", "在 %1 bps 上監聽…"}},
    {Program::Cli, "CliInventoryProgress",
     {"%1/%2，ID %3，已找到 %4 台", "%1/%2, ID %3, %4 found", "%1/%2，ID %3，已找到 %4 台"}},
    {Program::Cli, "CliInventoryNone",
     {"%1 上没有电机应答（ID %2）。", "No motor answered on %1 (IDs %2).", "%1 上沒有電機應答（ID %2）。"}},
    {Program::Cli, "CliInventoryCut",
     {"已中断：其余 ID 和频道未查询。", "Interrupted: the remaining IDs and channels were not polled.",
      "已中斷：其餘 ID 和頻道未查詢。"}},
    {Program::Cli, "CliInventorySummary",
     {"找到 %1 台电机，%2 处冲突（串口 %3）", "%1 motor(s) found, %2 collision(s), on %3",
      "找到 %1 台電機，%2 處衝突（串口 %3）"}},
    {Program::Cli, "CliConfirmed", {"%1 %2：已在 %3 上确认", "%1 %2: confirmed on %3", "%1 %2：已在 %3 上確認"}},
    {Program::Cli, "CliAllConfirmed", {"已写入并确认 %1 项更改。", "%1 change(s) written and confirmed.", "已寫入並確認 %1 項變更。"}},
    {Program::Cli, "CliNotConfirmed",
     {"%1 %2 未得到 %3 %4 的确认：%5 次回读都不是该值",
      "%1 %2 was not confirmed by %3 %4: %5 read-backs did not show it",
      "%1 %2 未得到 %3 %4 的確認：%5 次回讀都不是該值"}},
    {Program::Cli, "CliIdWriteRefused",
     {"未写入 ID：%1 %2。写入 ID 会送达线路上的每一台电机，所以线路上只能连接一台电机。",
      "No ID was written: %1 %2. An ID write reaches every motor on the line, so only one motor may be connected.",
      "未寫入 ID：%1 %2。寫入 ID 會送達線路上的每一台電機，所以線路上只能連接一台電機。"}},
    {Program::Cli, "CliIdNoneAnswered", {"没有电机应答群读", "no motor answered the group read", "沒有電機應答群讀"}},
    {Program::Cli, "CliIdSeveralAnswered",
     {"有多台电机应答群读", "more than one motor answered the group read", "有多台電機應答群讀"}},
    {Program::Cli, "CliIdGarbled",
     {"多台电机同时应答群读，应答无法识别", "several motors answered the group read at once, garbled",
      "多台電機同時應答群讀，應答無法識別"}},
    {Program::Cli, "CliIdWriteAlone",
     {"ID 写入会被任何正在监听的电机接受：线路上只能接这一个电机。",
      "The ID write is taken by whichever motor listens: have only this motor on the line.",
      "ID 寫入會被任何正在監聽的電機接受：線路上只能接這一個電機。"}},
    {Program::Cli, "CliWriteRefused", {"%1 %2 未写入 %3：%4。", "%1 %2 was not written to %3: %4.", "%1 %2 未寫入 %3：%4。"}},
    {Program::Cli, "CliRefusedShared",
     {"ID %1 在 %2 bps 上有多台电机应答：写入会改变所有这些电机",
      "several motors answer on ID %1 at %2 bps: a write would change them all",
      "ID %1 在 %2 bps 上有多台電機應答：寫入會改變所有這些電機"}},
    {Program::Cli, "CliRefusedAtOnce",
     {"多台电机同时应答 ID %1（%2 bps）：写入会改变所有这些电机",
      "several motors answered at once on ID %1 at %2 bps: a write would change them all",
      "多台電機同時應答 ID %1（%2 bps）：寫入會改變所有這些電機"}},
    {Program::Cli, "CliRefusedOther", {"应答的是 %1，不是 %2", "%1 answered, not %2", "應答的是 %1，不是 %2"}},
    {Program::Cli, "CliRefusedAbsent",
     {"线路上没有电机 %1（%2 bps）", "no motor %1 on the line at %2 bps", "線路上沒有電機 %1（%2 bps）"}},
    {Program::Cli, "CliIdNowShared",
     {"现在有多台电机在 %1 上应答", "several motors now answer on %1", "現在有多台電機在 %1 上應答"}},
    {Program::Cli, "CliNothingWritten", {"未向 %1 写入任何内容：%2。", "Nothing was written to %1: %2.", "未向 %1 寫入任何內容：%2。"}},
    {Program::Cli, "CliNotOnLine",
     {"线路上没有电机 %1（应答的是 %2）", "no motor %1 on the line (%2 answered)", "線路上沒有電機 %1（應答的是 %2）"}},
    {Program::Cli, "CliSeveralInTurn",
     {"ID %1 在 %2 bps 上有多台电机应答", "several motors with ID %1 answered at %2 bps",
      "ID %1 在 %2 bps 上有多台電機應答"}},
    {Program::Cli, "CliTwoRates",
     {"电机 %1 在 %2 bps 都有应答：请用 --baud 指定速率。", "Motor %1 answers at %2 bps: give --baud.",
      "電機 %1 在 %2 bps 都有應答：請用 --baud 指定速率。"}},
    {Program::Cli, "CliPlanChange", {"%1：%2 -> %3", "%1: %2 -> %3", "%1：%2 -> %3"}},
    {Program::Cli, "CliPlanKept", {"%1：保留 %2（配置文件中为 %3）", "%1: %2 kept (the profile says %3)", "%1：保留 %2（設定檔中為 %3）"}},
    {Program::Cli, "CliKeptHow",
     {"已保留：%1。配置文件只有在给出 --address 时才写入 ID、频道和波特率。",
      "Kept: %1. A profile writes ID, channels and rate only with --address.",
      "已保留：%1。設定檔只有在給出 --address 時才寫入 ID、頻道和鮑率。"}},
    {Program::Cli, "CliPlanFunctions", {"%1：改为 %2", "%1: change to %2", "%1：改為 %2"}},
    {Program::Cli, "CliPlanNothing",
     {"电机已具有配置文件中的每项设置，无需写入。",
      "The motor already has every setting of the profile; nothing to write.",
      "電機已具有設定檔中的每項設定，無需寫入。"}},
    {Program::Cli, "CliDryRun", {"试运行：未写入任何内容。", "Dry run: nothing was written.", "試運行：未寫入任何內容。"}},
    {Program::Cli, "CliSent", {"%1 已发送两次到 %2；等待其状态应答", "%1 sent twice to %2; waiting for its status answer", "%1 已發送兩次到 %2；等待其狀態應答"}},
    {Program::Cli, "CliSentUnconfirmable",
     {"%1 已发送两次到 %2；群控或多个频道无法应答，因此未确认",
      "%1 sent twice to %2; a group or several channels cannot answer, so it is not confirmed",
      "%1 已發送兩次到 %2；群控或多個頻道無法應答，因此未確認"}},
    {Program::Cli, "CliConfirmedBy", {"%1 %2：已由其状态应答确认", "%1 %2: confirmed by its status answer", "%1 %2：已由其狀態應答確認"}},
    {Program::Cli, "CliNoConfirmation",
     {"%1 已发送到 %2，但 %3 没有收到状态应答：%4。",
      "%1 went out to %2 but no status answer came back %3: %4.",
      "%1 已發送到 %2，但 %3 沒有收到狀態應答：%4。"}},
    {Program::Cli, "CliStatusPosition", {"位置 %1 %", "position %1 %", "位置 %1 %"}},
    {Program::Cli, "CliStatusUnknown", {"位置未知", "position unknown", "位置未知"}},
    {Program::Cli, "CliStatusLimits", {"限位点 %1", "limit points %1", "限位點 %1"}},
    {Program::Cli, "CliStatusNoLimits", {"没有限位点", "no limit points", "沒有限位點"}},
    {Program::Cli, "CliStatusSilent", {"电机 %1 %2 不应答：%3。", "Motor %1 does not answer %2: %3.", "電機 %1 %2 不應答：%3。"}},
    {Program::Cli, "CliInterrupted", {"已中断，尚未写入任何内容。", "Interrupted before anything was written.", "已中斷，尚未寫入任何內容。"}},
    {Program::Cli, "CliInterruptedCommand",
     {"已中断：%1 已发送到 %2，未确认。",
      "Interrupted: %1 went out to %2 and is not confirmed.",
      "已中斷：%1 已發送到 %2，未確認。"}},
    {Program::Cli, "CliInterruptedWrite",
     {"已中断：%1 的写入已发送到 %2，未确认；电机可能已采用该值。用以下命令回读：%3",
      "Interrupted: the %1 write went out to %2 and is not confirmed; the motor may have taken the value. Read it back with: %3",
      "已中斷：%1 的寫入已發送到 %2，未確認；電機可能已採用該值。用以下命令回讀：%3"}},
    {Program::Cli, "CliStopped", {"已停止。", "Stopped.", "已停止。"}},
    {Program::Cli, "CliOutputFailed",
     {"无法写入 %1：%2", "Cannot write to %1: %2", "無法寫入 %1：%2"}},
    {Program::Cli, "CliStandardOutput", {"标准输出", "the standard output", "標準輸出"}},
    {Program::Cli, "CliSummary",
     {"%1 汇总：%2 个完成，%3 个失败，%4 个未尝试",
      "Summary of %1: %2 done, %3 failed, %4 not tried",
      "%1 彙總：%2 個完成，%3 個失敗，%4 個未嘗試"}},
    {Program::Cli, "CliOk", {"成功", "ok", "成功"}},
    {Program::Cli, "CliFailed", {"退出码 %1", "exit %1", "結束碼 %1"}},
    {Program::Cli, "CliNotTried", {"未尝试", "not tried", "未嘗試"}},
    // 24. The windowed program's own command line (tavik --help and its usage
    // errors), printed in English before any window exists.
    {Program::App, "AppDescription",
     {"窗帘电机的遥控与配置。", "Remote control and configuration of curtain motors.", "窗簾電機的遙控與設定。"}},
    {Program::App, "AppOptPort",
     {"添加端口列表找不到的串口（伪终端、符号链接）。可重复。",
      "Adds a serial port that the port list cannot find (a pseudo-terminal, a symbolic link). Repeatable.",
      "加入連接埠列表找不到的串口（虛擬終端、符號連結）。可重複。"}},
    {Program::App, "AppOptOpen",
     {"启动时打开此串口，如同在端口列表中选择它（列表找不到时加入列表）。",
      "Opens this serial port at start, as if chosen in the port box (added to the list when the list cannot find it).",
      "啟動時開啟此串口，如同在連接埠列表中選擇它（列表找不到時加入列表）。"}},
    {Program::App, "AppOptLanguage",
     {"以此语言启动：zh_CN（简体中文，不加此选项时亦然）、en（英语）或 zh_TW（繁体中文）。之后可用语言菜单切换。",
      "Starts in this language: zh_CN (Simplified Chinese, also without this option), en (English) or zh_TW "
      "(Traditional Chinese). The language menu switches later.",
      "以此語言啟動：zh_CN（簡體中文，不加此選項時亦然）、en（英語）或 zh_TW（繁體中文）。之後可用語言選單切換。"}},
    {Program::App, "AppUnexpectedArgument",
     {"多余的参数 '%1'", "unexpected argument '%1'", "多餘的參數 '%1'"}},
    {Program::App, "AppUnknownLanguage",
     {"未知语言 '%1'：请选择 zh_CN、en 或 zh_TW", "unknown language '%1': choose zh_CN, en or zh_TW",
      "未知語言 '%1'：請選擇 zh_CN、en 或 zh_TW"}},
    // 23. The MQTT bridge (tavik-mqtt): its help, log lines, configuration errors and the
    // names it announces.  Its English is what it prints and publishes; keys, topics,
    // payloads and option names stay as typed.
    {Program::Mqtt, "MqttHelpDescription",
     {"为每条配置的总线运行一个电机链路，并把每个配置的电机频道作为\nMQTT 上的窗帘（cover），通过 Home Assistant 的 MQTT 自动发现公布。\n\n退出状态：收到 SIGTERM 或 SIGINT 后或 --check 通过时为 0；配置错误为 2\n（FILE:LINE: 错误内容）；启动时代理服务器拒绝凭据为 3。\n密码来自 mqtt.password_file 或 TAVIK_MQTT_PASSWORD。",
      "Runs one motor link per configured bus and makes every configured motor channel a\ncover over MQTT, announced through Home Assistant's MQTT discovery.\n\nExit status: 0 after SIGTERM or SIGINT or a good --check, 2 for a configuration\nerror (FILE:LINE: what is wrong), 3 when the broker refuses the credentials at\nthe start. The password comes from mqtt.password_file or TAVIK_MQTT_PASSWORD.",
      "為每條設定的總線執行一個電機連線，並把每個設定的電機頻道作為\nMQTT 上的窗簾（cover），透過 Home Assistant 的 MQTT 自動探索公布。\n\n結束狀態：收到 SIGTERM 或 SIGINT 後或 --check 通過時為 0；設定錯誤為 2\n（FILE:LINE: 錯誤內容）；啟動時代理伺服器拒絕憑證為 3。\n密碼來自 mqtt.password_file 或 TAVIK_MQTT_PASSWORD。"}},
    {Program::Mqtt, "MqttHelpOptConfig",
     {"配置文件（默认 /etc/tavik/mqtt.yaml）。", "The configuration file (default /etc/tavik/mqtt.yaml).", "設定檔（預設 /etc/tavik/mqtt.yaml）。"}},
    {Program::Mqtt, "MqttHelpOptCheck", {"检查配置后退出。", "Check the configuration and exit.", "檢查設定後結束。"}},
    {Program::Mqtt, "MqttHelpOptVerbose", {"同时记录每一帧。", "Also log every frame.", "同時記錄每一幀。"}},
    {Program::Mqtt, "MqttConfigValid", {"%1：配置有效", "%1: configuration is valid", "%1：設定有效"}},
    {Program::Mqtt, "MqttStopping", {"正在停止", "stopping", "正在停止"}},
    // Where a configuration error is: %1 = the file, %2 = the line, %3 = what is wrong.
    {Program::Mqtt, "MqttAtFileLine", {"%1:%2: %3", "%1:%2: %3", "%1:%2: %3"}},
    {Program::Mqtt, "MqttConfigCannotRead",
     {"%1:0: 无法读取：%2", "%1:0: cannot read: %2", "%1:0: 無法讀取：%2"}},
    {Program::Mqtt, "MqttConfigExpectedText", {"%1：应为文本", "%1: expected a text", "%1：應為文字"}},
    {Program::Mqtt, "MqttConfigExpectedNumber", {"%1：应为整数", "%1: expected a whole number", "%1：應為整數"}},
    {Program::Mqtt, "MqttConfigOutOfRange",
     {"%1：%2 超出范围 %3..%4", "%1: %2 is out of range %3..%4", "%1：%2 超出範圍 %3..%4"}},
    {Program::Mqtt, "MqttConfigExpectedBoolean",
     {"%1：应为 true 或 false", "%1: expected true or false", "%1：應為 true 或 false"}},
    {Program::Mqtt, "MqttConfigExpectedMapping", {"%1：应为映射", "%1: expected a mapping", "%1：應為對應表"}},
    {Program::Mqtt, "MqttConfigExpectedList", {"%1：应为列表", "%1: expected a list", "%1：應為清單"}},
    // %1 = the key, %2 = where it is: a section's key or one of the four places below.
    {Program::Mqtt, "MqttConfigUnknownKey",
     {"未知的键 '%1'，位于 %2", "unknown key '%1' in %2", "未知的鍵 '%1'，位於 %2"}},
    {Program::Mqtt, "MqttConfigInCover", {"一个窗帘", "a cover", "一個窗簾"}},
    {Program::Mqtt, "MqttConfigInGroup", {"一个群组", "a group", "一個群組"}},
    {Program::Mqtt, "MqttConfigInBus", {"一条总线", "a bus", "一條總線"}},
    {Program::Mqtt, "MqttConfigInRoot", {"配置", "the configuration", "設定"}},
    {Program::Mqtt, "MqttConfigPasswordFile",
     {"password_file：无法读取 %1：%2", "password_file: cannot read %1: %2", "password_file：無法讀取 %1：%2"}},
    {Program::Mqtt, "MqttConfigTopicPrefix",
     {"%1：'%2' 不能为空，不能有通配符（+ #）或空层级（开头、结尾或连续的斜杠）",
      "%1: '%2' must not be empty nor hold a wildcard (+ #) or an empty level (a leading, trailing or double slash)",
      "%1：'%2' 不能為空，不能有萬用字元（+ #）或空層級（開頭、結尾或連續的斜線）"}},
    {Program::Mqtt, "MqttConfigBaseIsPrefix",
     {"base_topic：'%1' 与 discovery_prefix 相同，请使用不同的名称",
      "base_topic: '%1' is also the discovery_prefix; give them different names",
      "base_topic：'%1' 與 discovery_prefix 相同，請使用不同的名稱"}},
    {Program::Mqtt, "MqttConfigEmptyHost",
     {"host：不能为空", "host: must not be empty", "host：不能為空"}},
    // %1 = the key, %2 = the line it was first given on.
    {Program::Mqtt, "MqttConfigKeyTwice",
     {"键 '%1' 出现了两次（第一次在第 %2 行）", "key '%1' is given twice (first on line %2)",
      "鍵 '%1' 出現了兩次（第一次在第 %2 行）"}},
    // %1 = the key, %2 = the file, %3 = the system's reason.
    {Program::Mqtt, "MqttConfigFileUnreadable",
     {"%1：无法读取 '%2'：%3", "%1: cannot read '%2': %3", "%1：無法讀取 '%2'：%3"}},
    {Program::Mqtt, "MqttConfigTlsCertAndKey",
     {"tls：cert_file 和 key_file 必须一起给出", "tls: cert_file and key_file go together",
      "tls：cert_file 和 key_file 必須一起給出"}},
    {Program::Mqtt, "MqttConfigBaud",
     {"baud：%1 不是 1200、2400、4800、9600、19200 之一", "baud: %1 is not one of 1200, 2400, 4800, 9600, 19200",
      "baud：%1 不是 1200、2400、4800、9600、19200 之一"}},
    {Program::Mqtt, "MqttConfigCoverNeeds",
     {"窗帘需要 id 和 channel", "a cover needs an id and a channel", "窗簾需要 id 和 channel"}},
    {Program::Mqtt, "MqttConfigGroupNeeds",
     {"群组需要 name、id 和至少一个频道", "a group needs a name, an id and at least one channel",
      "群組需要 name、id 和至少一個頻道"}},
    {Program::Mqtt, "MqttConfigBusName",
     {"name：'%1' 必须由 1 到 32 个 a-z、0-9、_ 和 - 组成", "name: '%1' must be 1 to 32 of a-z, 0-9, _ and -",
      "name：'%1' 必須由 1 到 32 個 a-z、0-9、_ 和 - 組成"}},
    {Program::Mqtt, "MqttConfigBusNameReserved",
     {"name：'%1' 保留给桥接程序自己的主题", "name: '%1' is reserved for the bridge's own topics",
      "name：'%1' 保留給橋接程式自己的主題"}},
    // %1 = the group, %2 = the motor ID, %3 = the channel.
    {Program::Mqtt, "MqttConfigGroupInverted",
     {"群组 '%1' 会让反装的电机 %2 频道 %3 朝错误方向运行（群组帧对所有电机只有一个方向）：请将它移出群组，或改用电机自身的方向设置代替 invert",
      "group '%1' would drive the inverted motor %2 channel %3 the wrong way (a group frame has one direction for "
      "all): leave it out of the group, or reverse the motor's own direction instead of invert",
      "群組 '%1' 會讓反裝的電機 %2 頻道 %3 朝錯誤方向運行（群組幀對所有電機只有一個方向）：請將它移出群組，或改用電機自身的方向設定代替 invert"}},
    {Program::Mqtt, "MqttConfigBusNeeds",
     {"总线需要 name 和 port", "a bus needs a name and a port", "總線需要 name 和 port"}},
    {Program::Mqtt, "MqttConfigCoverTwice",
     {"电机 %1 频道 %2 已是总线 %3 的窗帘", "motor %1 channel %2 is already a cover of bus %3",
      "電機 %1 頻道 %2 已是總線 %3 的窗簾"}},
    {Program::Mqtt, "MqttConfigGroupTwice",
     {"群组 '%1' 与另一个群组控制相同的电机", "group '%1' addresses the same motors as another group",
      "群組 '%1' 與另一個群組控制相同的電機"}},
    {Program::Mqtt, "MqttConfigNoBus",
     {"buses：至少需要一条总线", "buses: at least one bus is needed", "buses：至少需要一條總線"}},
    {Program::Mqtt, "MqttConfigBusNameTwice",
     {"总线名称 '%1' 使用了两次", "bus name '%1' is used twice", "總線名稱 '%1' 使用了兩次"}},
    {Program::Mqtt, "MqttConfigPortTwice",
     {"串口 %1 已属于总线 %2", "port %1 is already bus %2's", "串口 %1 已屬於總線 %2"}},
    // The names a cover without its own name, its limit-point buttons and its group get.
    {Program::Mqtt, "MqttCoverName",
     {"%1 电机 %2 频道 %3", "%1 motor %2 channel %3", "%1 電機 %2 頻道 %3"}},
    {Program::Mqtt, "MqttFoundCoverName", {"电机 %1 频道 %2", "Motor %1 channel %2", "電機 %1 頻道 %2"}},
    {Program::Mqtt, "MqttCoverModel",
     {"电机 %1，频道 %2", "motor %1, channel %2", "電機 %1，頻道 %2"}},
    // The bridge's own device; %1 = its base topic.
    {Program::Mqtt, "MqttBridgeName",
     {"Tavik 桥接 %1", "Tavik bridge %1", "Tavik 橋接 %1"}},
    {Program::Mqtt, "MqttLimitButton", {"限位点 %1", "Limit point %1", "限位點 %1"}},
    {Program::Mqtt, "MqttGroupModel",
     {"电机 ID %1 的群组", "group of motor ID %1", "電機 ID %1 的群組"}},
    // The broker and the commands that come from it.
    {Program::Mqtt, "MqttBrokerConnected",
     {"代理服务器：已连接到 %1:%2", "broker: connected to %1:%2", "代理伺服器：已連線到 %1:%2"}},
    // %1 = one of the two lines below.
    {Program::Mqtt, "MqttBrokerDisconnected", {"代理服务器：%1", "broker: %1", "代理伺服器：%1"}},
    {Program::Mqtt, "MqttBrokerRefused",
     {"代理服务器：凭据被拒绝：%1", "broker: credentials refused: %1", "代理伺服器：憑證被拒絕：%1"}},
    {Program::Mqtt, "MqttCannotCreateClient",
     {"无法创建 MQTT 客户端", "cannot create the MQTT client", "無法建立 MQTT 用戶端"}},
    {Program::Mqtt, "MqttTlsSetup", {"TLS 设置：%1", "TLS setup: %1", "TLS 設定：%1"}},
    // Every end of a connection or of an attempt: %1:%2 = the broker, %3 = why, %4 = seconds to the next attempt.
    {Program::Mqtt, "MqttConnectionLost",
     {"与 %1:%2 的连接已断开：%3；%4 秒后重试", "connection to %1:%2 lost: %3; next attempt in %4 s",
      "與 %1:%2 的連線已中斷：%3；%4 秒後重試"}},
    {Program::Mqtt, "MqttConnectFailed",
     {"无法连接 %1:%2：%3；%4 秒后重试", "cannot connect to %1:%2: %3; next attempt in %4 s",
      "無法連線 %1:%2：%3；%4 秒後重試"}},
    {Program::Mqtt, "MqttNoConnack",
     {"%1 秒内没有回应连接请求", "no answer to the connect within %1 s", "%1 秒內沒有回應連線請求"}},
    {Program::Mqtt, "MqttKeepaliveLost",
     {"在 %1 秒的保活时间内没有回应", "no answer within the keepalive of %1 s", "在 %1 秒的保活時間內沒有回應"}},
    {Program::Mqtt, "MqttLookupFailed",
     {"无法解析主机名：%1", "cannot look up the host name: %1", "無法解析主機名稱：%1"}},
    {Program::Mqtt, "MqttClosedBeforeConnack",
     {"代理服务器未回应就关闭了连接（是 TLS 端口吗？那么配置需要 tls:）",
      "the broker closed the connection before answering (a TLS port? then the configuration needs tls:)",
      "代理伺服器未回應就關閉了連線（是 TLS 連接埠嗎？那麼設定需要 tls:）"}},
    {Program::Mqtt, "MqttClosedByBroker",
     {"代理服务器关闭了连接", "the broker closed the connection", "代理伺服器關閉了連線"}},
    {Program::Mqtt, "MqttNotMqtt",
     {"代理服务器的回应不是 MQTT", "the broker's answer is not MQTT", "代理伺服器的回應不是 MQTT"}},
    // TLS: what the handshake or the configured files got wrong.
    {Program::Mqtt, "MqttTlsFailed", {"TLS：%1", "TLS: %1", "TLS：%1"}},
    {Program::Mqtt, "MqttTlsUnknownCa",
     {"TLS：代理服务器的证书不是由 %1 中的 CA 签发的", "TLS: the broker's certificate is not signed by a CA in %1",
      "TLS：代理伺服器的憑證不是由 %1 中的 CA 簽發的"}},
    {Program::Mqtt, "MqttTlsSystemCas",
     {"系统的 CA 列表", "the system's CA list", "系統的 CA 清單"}},
    {Program::Mqtt, "MqttTlsExpired",
     {"TLS：代理服务器的证书已过期", "TLS: the broker's certificate has expired", "TLS：代理伺服器的憑證已過期"}},
    {Program::Mqtt, "MqttTlsWrongHost",
     {"TLS：代理服务器的证书不是签发给 %1 的", "TLS: the broker's certificate is not made out to %1",
      "TLS：代理伺服器的憑證不是簽發給 %1 的"}},
    {Program::Mqtt, "MqttTlsNotAccepted",
     {"TLS：代理服务器的证书未被接受：%1", "TLS: the broker's certificate was not accepted: %1",
      "TLS：代理伺服器的憑證未被接受：%1"}},
    {Program::Mqtt, "MqttTlsClientCertRequired",
     {"TLS：代理服务器要求客户端证书（tls.cert_file 和 tls.key_file）",
      "TLS: the broker requires a client certificate (tls.cert_file and tls.key_file)",
      "TLS：代理伺服器要求用戶端憑證（tls.cert_file 和 tls.key_file）"}},
    {Program::Mqtt, "MqttTlsClientCertRefused",
     {"TLS：代理服务器拒绝了客户端证书 %1：%2", "TLS: the broker refused the client certificate %1: %2",
      "TLS：代理伺服器拒絕了用戶端憑證 %1：%2"}},
    {Program::Mqtt, "MqttTlsPlainPort",
     {"TLS：%1:%2 不以 TLS 回应，是普通 MQTT 端口吗？（%3）",
      "TLS: %1:%2 does not answer in TLS; a plain MQTT port? (%3)",
      "TLS：%1:%2 不以 TLS 回應，是普通 MQTT 連接埠嗎？（%3）"}},
    // %1 = the key under tls, %2 = the file, %3 = why.
    {Program::Mqtt, "MqttTlsBadFile",
     {"tls.%1：无法使用 %2：%3", "tls.%1: cannot use %2: %3", "tls.%1：無法使用 %2：%3"}},
    {Program::Mqtt, "MqttTlsKeyWithoutCert",
     {"tls.key_file 需要 tls.cert_file", "tls.key_file needs tls.cert_file", "tls.key_file 需要 tls.cert_file"}},
    {Program::Mqtt, "MqttTlsKeyMismatch",
     {"tls.key_file：%1 不是 %2 的私钥", "tls.key_file: %1 is not the key of %2", "tls.key_file：%1 不是 %2 的私鑰"}},
    {Program::Mqtt, "MqttTlsOwnExpired",
     {"tls.cert_file：%1 已于 %2 过期", "tls.cert_file: %1 expired on %2", "tls.cert_file：%1 已於 %2 過期"}},
    {Program::Mqtt, "MqttTlsOwnNotYetValid",
     {"tls.cert_file：%1 在 %2 之前无效", "tls.cert_file: %1 is not valid before %2", "tls.cert_file：%1 在 %2 之前無效"}},
    {Program::Mqtt, "MqttDiscoveryClearing",
     {"自动发现：正在清除 %1，已不再配置", "discovery: clearing %1, no longer configured", "自動探索：正在清除 %1，已不再設定"}},
    // %1 = the topic, %2 = the payload as shown, %3 = why it was dropped.
    {Program::Mqtt, "MqttCommand", {"%1：%2", "%1: %2", "%1：%2"}},
    {Program::Mqtt, "MqttRetainedIgnored",
     {"%1：已忽略保留的命令 '%2'", "%1: retained command '%2' ignored", "%1：已忽略保留的命令 '%2'"}},
    {Program::Mqtt, "MqttDropped",
     {"%1：'%2' 已丢弃：%3", "%1: '%2' dropped: %3", "%1：'%2' 已捨棄：%3"}},
    {Program::Mqtt, "MqttNoSuchCover", {"没有这个窗帘", "no such cover", "沒有這個窗簾"}},
    {Program::Mqtt, "MqttNotUnder", {"不在 %1 之下", "not under %1", "不在 %1 之下"}},
    {Program::Mqtt, "MqttNotCommandTopic", {"不是命令主题", "not a command topic", "不是命令主題"}},
    {Program::Mqtt, "MqttGroupNoChannel",
     {"群组至少需要一个频道", "a group needs at least one channel", "群組至少需要一個頻道"}},
    {Program::Mqtt, "MqttIdOrChannelOutOfRange",
     {"电机 ID 或频道超出范围", "motor ID or channel out of range", "電機 ID 或頻道超出範圍"}},
    {Program::Mqtt, "MqttExpectedAction",
     {"应为 OPEN、CLOSE 或 STOP", "expected OPEN, CLOSE or STOP", "應為 OPEN、CLOSE 或 STOP"}},
    {Program::Mqtt, "MqttExpectedLimitPoint",
     {"应为限位点 1..4", "expected a limit point 1..4", "應為限位點 1..4"}},
    {Program::Mqtt, "MqttExpectedPosition",
     {"应为位置 0..100", "expected a position 0..100", "應為位置 0..100"}},
    // The buses: %1 = the bus's name.
    {Program::Mqtt, "MqttPortCannotOpen",
     {"%1：无法打开 %2：%3；每 %4 秒重试一次", "%1: cannot open %2: %3; retrying every %4 s",
      "%1：無法開啟 %2：%3；每 %4 秒重試一次"}},
    // Why a bus's port did not open (the %3 of the row above); %1 = the device, %2 = its group or owner.
    {Program::Mqtt, "MqttPortNotFound",
     {"没有这个设备（适配器是否已插上？）", "no such device (is the adapter plugged in?)", "沒有這個裝置（轉接器是否已插上？）"}},
    {Program::Mqtt, "MqttPortBusy",
     {"设备忙：另一个程序已打开它", "busy: another program has it open", "裝置忙：另一個程式已開啟它"}},
    {Program::Mqtt, "MqttPortDenied",
     {"权限不足：%1 属于 %2 组；请让服务以该组运行（例如 dialout 组）",
      "permission denied: %1 belongs to the group %2; run the service in that group (e.g. dialout)",
      "權限不足：%1 屬於 %2 群組；請讓服務以該群組執行（例如 dialout 群組）"}},
    {Program::Mqtt, "MqttPortOwnerOnly",
     {"权限不足：只有 %1 的所有者 %2 可以打开它；请让管理员把该设备交给 dialout 组",
      "permission denied: %1 may be opened by its owner %2 only; have the device given to the dialout group",
      "權限不足：只有 %1 的擁有者 %2 可以開啟它；請讓管理員把該裝置交給 dialout 群組"}},
    {Program::Mqtt, "MqttPortOpen", {"%1：串口 %2 已打开", "%1: port %2 open", "%1：串口 %2 已開啟"}},
    {Program::Mqtt, "MqttPortLost",
     {"%1：串口 %2 已断开：%3", "%1: port %2 lost: %3", "%1：串口 %2 已中斷連線：%3"}},
    {Program::Mqtt, "MqttPortClosedDropped",
     {"%1：串口已关闭，命令已丢弃", "%1: port closed, command dropped", "%1：串口已關閉，命令已捨棄"}},
    {Program::Mqtt, "MqttMotorAnswers",
     {"%1：电机 %2 频道 %3 有应答", "%1: motor %2 channel %3 answers", "%1：電機 %2 頻道 %3 有應答"}},
    {Program::Mqtt, "MqttMotorOffline",
     {"%1：电机 %2 频道 %3 离线", "%1: motor %2 channel %3 offline", "%1：電機 %2 頻道 %3 離線"}},
    // --verbose: each frame as hex bytes, > sent, < received.
    {Program::Mqtt, "MqttFrameSent", {"%1 > %2", "%1 > %2", "%1 > %2"}},
    {Program::Mqtt, "MqttFrameReceived", {"%1 < %2", "%1 < %2", "%1 < %2"}},
    // One bridge per base topic, a shared client ID, repeated lines and a silent bus.
    {Program::Mqtt, "MqttClosedSoon",
     {"代理服务器在接受连接 %1 秒后关闭了它：可能另一个客户端在使用客户端 ID '%2'",
      "the broker closed the connection %1 s after accepting it: another client may be using the client ID '%2'",
      "代理伺服器在接受連線 %1 秒後關閉了它：可能另一個用戶端在使用用戶端 ID '%2'"}},
    // %1 = base topic, %2 = client ID, %3 = host, %4 = process ID, %5 = start time.
    {Program::Mqtt, "MqttInstanceRunning",
     {"另一个桥接已在服务基础主题 '%1'：%2（主机 %3，进程 %4，启动于 %5）；本桥接退出，不做任何更改",
      "another bridge already serves the base topic '%1': %2 (host %3, process %4, started %5); this one exits and "
      "changes nothing",
      "另一個橋接已在服務基礎主題 '%1'：%2（主機 %3，程序 %4，啟動於 %5）；本橋接結束，不做任何變更"}},
    {Program::Mqtt, "MqttInstanceStale",
     {"基础主题 '%1' 上留有桥接 %2 的记录（主机 %3，进程 %4，启动于 %5），但它没有应答；照常启动",
      "the base topic '%1' holds the record of the bridge %2 (host %3, process %4, started %5), which does not "
      "answer; starting",
      "基礎主題 '%1' 上留有橋接 %2 的記錄（主機 %3，程序 %4，啟動於 %5），但它沒有應答；照常啟動"}},
    // %1 = the line, %2 = how many more, %3 = seconds.
    {Program::Mqtt, "MqttLogRepeated",
     {"%1 …… 以及另外 %2 条相同的记录（%3 秒内）", "%1 … and %2 more like it in %3 s",
      "%1 …… 以及另外 %2 條相同的記錄（%3 秒內）"}},
    {Program::Mqtt, "MqttBusSilent",
     {"%1：%2 上没有电机应答；其 %3 个窗帘离线", "%1: no motor on %2 answers; its %3 covers are offline",
      "%1：%2 上沒有電機應答；其 %3 個窗簾離線"}},
    {Program::Mqtt, "MqttBusAnswers",
     {"%1：%2 上的电机重新应答", "%1: motors on %2 answer again", "%1：%2 上的電機重新應答"}},
    // A bus whose motors the bridge finds: its device, its entities, the scan's log lines and answers.
    {Program::Mqtt, "MqttBusDeviceName", {"Tavik 总线 %1", "Tavik bus %1", "Tavik 匯流排 %1"}},
    {Program::Mqtt, "MqttScanButton", {"扫描线路", "Scan line", "掃描線路"}},
    {Program::Mqtt, "MqttScanProgress", {"扫描进度", "Scan progress", "掃描進度"}},
    {Program::Mqtt, "MqttLineProblem", {"线路问题", "Line problem", "線路問題"}},
    {Program::Mqtt, "MqttLineEvents", {"线路事件", "Line events", "線路事件"}},
    {Program::Mqtt, "MqttScanStarted",
     {"%1：正在扫描 %2 上的电机", "%1: scanning %2 for motors", "%1：正在掃描 %2 上的電機"}},
    {Program::Mqtt, "MqttScanEnded",
     {"%1：扫描结束：%2 个电机频道，%3 个缺失，%4 处冲突，%5 个在其他波特率",
      "%1: scan done: %2 motor channels, %3 missing, %4 collisions, %5 at another rate",
      "%1：掃描結束：%2 個電機頻道，%3 個缺失，%4 處衝突，%5 個在其他鮑率"}},
    {Program::Mqtt, "MqttScanNoSuchBus", {"没有名为 '%1' 的总线", "no bus named '%1'", "沒有名為 '%1' 的匯流排"}},
    {Program::Mqtt, "MqttScanNotDiscovering",
     {"总线 '%1' 未设置 discover: true", "bus '%1' does not have discover: true",
      "匯流排 '%1' 未設定 discover: true"}},
    {Program::Mqtt, "MqttScanRunning", {"总线 '%1' 正在扫描", "bus '%1' is already scanning", "匯流排 '%1' 正在掃描"}},
    {Program::Mqtt, "MqttScanPortClosed",
     {"总线 '%1' 的串口未打开", "the port of bus '%1' is not open", "匯流排 '%1' 的串口未開啟"}},
    {Program::Mqtt, "MqttScanIncomplete",
     {"扫描未完成：串口已断开", "the scan did not finish: the port went away", "掃描未完成：串口已中斷連線"}},
    {Program::Mqtt, "MqttCoverIgnored",
     {"%1：电机 %2 频道 %3 已在 Home Assistant 中删除，今后忽略",
      "%1: motor %2 channel %3 was deleted in Home Assistant and is ignored from now on",
      "%1：電機 %2 頻道 %3 已在 Home Assistant 中刪除，今後忽略"}},
    // A motor's settings as entities: its device, the entities' names, the problem and the write results.
    {Program::Mqtt, "MqttMotorDeviceName", {"电机 %1", "Motor %1", "電機 %1"}},
    {Program::Mqtt, "MqttMotorModel", {"总线 %1 上的电机设置", "Motor settings on bus %1", "匯流排 %1 上的電機設定"}},
    {Program::Mqtt, "MqttSettingId", {"ID", "ID", "ID"}},
    {Program::Mqtt, "MqttSettingChannels", {"频道", "Channels", "頻道"}},
    {Program::Mqtt, "MqttSettingDryContact", {"干接点控制方式", "Dry-contact mode", "幹接點控制方式"}},
    {Program::Mqtt, "MqttSettingMaxSpeed", {"最大转速", "Maximum speed", "最大轉速"}},
    {Program::Mqtt, "MqttSettingJogTime", {"点动时间", "Jog time", "點動時間"}},
    {Program::Mqtt, "MqttSettingSensitivity", {"遇阻灵敏度", "Obstruction sensitivity", "遇阻靈敏度"}},
    {Program::Mqtt, "MqttSettingRebound", {"遇阻反弹（0.1 秒）", "Rebound (0.1 s)", "遇阻反彈（0.1 秒）"}},
    {Program::Mqtt, "MqttSettingBaud", {"波特率", "Baud rate", "鮑率"}},
    {Program::Mqtt, "MqttFunctionHandStart", {"手拉启动", "Hand-pull start", "手拉啟動"}},
    {Program::Mqtt, "MqttFunctionDirection", {"反向运行", "Reversed direction", "反向運行"}},
    {Program::Mqtt, "MqttFunctionSoftStart", {"慢启动", "Soft start", "慢啟動"}},
    {Program::Mqtt, "MqttFunctionEndGap", {"到行程留间隙", "Gap at end of travel", "到行程留間隙"}},
    {Program::Mqtt, "MqttFunctionObstacleStop", {"遇阻停止", "Stop on obstacle", "遇阻停止"}},
    {Program::Mqtt, "MqttFunctionPowerMemory", {"断电记忆行程", "Travel memory after power loss", "斷電記憶行程"}},
    {Program::Mqtt, "MqttFunctionHandSync", {"手控同步", "Hand-control synchronisation", "手控同步"}},
    {Program::Mqtt, "MqttReadSettings", {"读取设置", "Read settings", "讀取設定"}},
    {Program::Mqtt, "MqttSettingsResults", {"设置写入结果", "Settings written", "設定寫入結果"}},
    {Program::Mqtt, "MqttSettingsProblem", {"设置问题", "Settings problem", "設定問題"}},
    // %1 = ID, %2 = line rate.
    {Program::Mqtt, "MqttSettingsShared",
     {"ID %1 上有多个电机以 %2 bps 应答：设置帧会到达所有这些电机，因此不提供设置；请在窗口或 tavik-cli 中给其中一个另设 ID",
      "several motors answer on ID %1 at %2 bps: a settings frame would reach them all, so none is offered; give one of them another ID in the window or with tavik-cli",
      "ID %1 上有多個電機以 %2 bps 應答：設定幀會到達所有這些電機，因此不提供設定；請在視窗或 tavik-cli 中給其中一個另設 ID"}},
    // %1 = ID, %2 = the channels that answered.
    {Program::Mqtt, "MqttSettingsOtherMotor",
     {"ID %1 上应答的电机在频道 %2，不是所配置窗帘的频道", "the motor that answers on ID %1 is on channels %2, not the configured covers' channels",
      "ID %1 上應答的電機在頻道 %2，不是所配置窗簾的頻道"}},
    {Program::Mqtt, "MqttSettingNotWritable",
     {"%1 只能在窗口或 tavik-cli 中写入", "%1 is written in the window or with tavik-cli only",
      "%1 只能在視窗或 tavik-cli 中寫入"}},
    {Program::Mqtt, "MqttSettingNotRead",
     {"尚未读取电机的开合帘功能", "the motor's curtain functions have not been read yet", "尚未讀取電機的開合簾功能"}},
    // %1 = the value given, %2 = what is allowed.
    {Program::Mqtt, "MqttSettingBadValue", {"'%1' 无效，应为 %2", "'%1' is not one of %2", "'%1' 無效，應為 %2"}},
    // %1 = topic, %2 = payload, %3 = why.
    {Program::Mqtt, "MqttSettingDropped", {"设置命令 %1 '%2' 已丢弃：%3", "setting %1 '%2' dropped: %3", "設定命令 %1 '%2' 已丟棄：%3"}},
    // %1 = bus, %2 = ID, %3 = setting, %4 = value, %5 = result, %6 = reason.
    {Program::Mqtt, "MqttSettingWritten",
     {"%1：电机 %2：%3 = %4：%5 %6", "%1: motor %2: %3 = %4: %5 %6", "%1：電機 %2：%3 = %4：%5 %6"}},
    // %1 = bus, %2 = ID, %3 = the problem.
    {Program::Mqtt, "MqttSettingsProblemLine",
     {"%1：电机 %2 不提供设置：%3", "%1: motor %2 has no settings entities: %3", "%1：電機 %2 不提供設定：%3"}},
};
// clang-format on

// The same spelling twice, in a constant expression.
constexpr bool sameName(const char *a, const char *b)
{
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

// For each id of a program (by its name), the index of its row in
// kProgramRows; -1 when it has none, -2 when it has more than one.
template <std::size_t N> constexpr std::array<int, N> rowsOf(Program program, const char *const (&ids)[N])
{
    std::array<int, N> rows {};
    for (std::size_t i = 0; i < N; ++i) {
        rows[i] = -1;
        for (std::size_t r = 0; r < std::size(kProgramRows); ++r)
            if (kProgramRows[r].program == program && sameName(kProgramRows[r].name, ids[i]))
                rows[i] = rows[i] == -1 ? int(r) : -2;
    }
    return rows;
}

template <std::size_t N> constexpr bool eachHasOneRow(const std::array<int, N> &rows)
{
    for (int r : rows)
        if (r < 0)
            return false;
    return true;
}

constexpr std::size_t rowCount(Program program)
{
    std::size_t n = 0;
    for (const ProgramRow &row : kProgramRows)
        n += row.program == program;
    return n;
}

#define TAVIK_TEXT_NAME(id) #id,
constexpr const char *kCliIds[] = {TAVIK_CLI_TEXTS(TAVIK_TEXT_NAME)};
constexpr const char *kMqttIds[] = {TAVIK_MQTT_TEXTS(TAVIK_TEXT_NAME)};
constexpr const char *kAppIds[] = {TAVIK_APP_TEXTS(TAVIK_TEXT_NAME)};
#undef TAVIK_TEXT_NAME

constexpr auto kCliRows = rowsOf(Program::Cli, kCliIds);
constexpr auto kMqttRows = rowsOf(Program::Mqtt, kMqttIds);
constexpr auto kAppRows = rowsOf(Program::App, kAppIds);

// Every id has exactly one row, and every row of a program is one of its ids.
static_assert(eachHasOneRow(kCliRows) && rowCount(Program::Cli) == std::size(kCliIds));
static_assert(eachHasOneRow(kMqttRows) && rowCount(Program::Mqtt) == std::size(kMqttIds));
static_assert(eachHasOneRow(kAppRows) && rowCount(Program::App) == std::size(kAppIds));

// Each message of MessageTexts has one row in the main window's part of the
// table (the forced-ID window's GroupCaption row repeats one), and every
// message row names one of them.
constexpr bool eachMessageHasOneRow()
{
    for (const char *name : kMessageRows) {
        int rows = 0;
        for (const LanguageRow &row : kRows)
            rows += row.property == Property::Message && row.window == Window::Main && sameName(row.objectName, name);
        if (rows != 1)
            return false;
    }
    for (const LanguageRow &row : kRows) {
        bool named = row.property != Property::Message;
        for (const char *name : kMessageRows)
            named = named || sameName(row.objectName, name);
        if (!named)
            return false;
    }
    return true;
}
static_assert(eachMessageHasOneRow());

// For each word id (by its name), the index of its Word row in kRows; -1
// when it has none, -2 when it has more than one.
template <std::size_t N> constexpr std::array<int, N> wordRowsOf(const char *const (&ids)[N])
{
    std::array<int, N> rows {};
    for (std::size_t i = 0; i < N; ++i) {
        rows[i] = -1;
        for (std::size_t r = 0; r < std::size(kRows); ++r)
            if (kRows[r].property == Property::Word && sameName(kRows[r].objectName, ids[i]))
                rows[i] = rows[i] == -1 ? int(r) : -2;
    }
    return rows;
}

constexpr std::size_t wordRowCount()
{
    std::size_t n = 0;
    for (const LanguageRow &row : kRows)
        n += row.property == Property::Word;
    return n;
}

#define TAVIK_TEXT_NAME(id) #id,
constexpr const char *kWordIds[] = {TAVIK_WORDS(TAVIK_TEXT_NAME)};
#undef TAVIK_TEXT_NAME
constexpr auto kWordRows = wordRowsOf(kWordIds);
static_assert(eachHasOneRow(kWordRows) && wordRowCount() == std::size(kWordIds));

QString programText(int row, Language lang)
{
    return QString::fromUtf8(kProgramRows[std::size_t(row)].value(lang));
}

} // namespace

std::span<const LanguageRow> languageRows()
{
    return kRows;
}

std::span<const ProgramRow> programRows()
{
    return kProgramRows;
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

} // namespace

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
    }
    return "?";
}

const char *programName(Program program)
{
    switch (program) {
    case Program::Cli: return "Cli";
    case Program::Mqtt: return "Mqtt";
    case Program::App: return "App";
    }
    return "?";
}

QString *messageField(MessageTexts &texts, const char *name)
{
    for (std::size_t i = 0; i < kMessageCount; ++i)
        if (std::strcmp(kMessageRows[i], name) == 0)
            return &texts[Message(i)];
    return nullptr;
}

QString text(const char *objectNameOrMessage, Language lang, Window window)
{
    for (const LanguageRow &row : kRows) {
        if (row.window == window && std::strcmp(row.objectName, objectNameOrMessage) == 0
            && (row.property == Property::Caption || row.property == Property::Hint || row.property == Property::Message
                || row.property == Property::Word))
            return QString::fromUtf8(row.value(lang));
    }
    return {};
}

QString text(CliText id, Language lang)
{
    return programText(kCliRows[std::size_t(id)], lang);
}

QString text(MqttText id, Language lang)
{
    return programText(kMqttRows[std::size_t(id)], lang);
}

QString text(AppText id, Language lang)
{
    return programText(kAppRows[std::size_t(id)], lang);
}

QString englishText(CliText id)
{
    return text(id, Language::English);
}

QString englishText(MqttText id)
{
    return text(id, Language::English);
}

QString englishText(AppText id)
{
    return text(id, Language::English);
}

QString text(Word word, Language lang)
{
    return QString::fromUtf8(kRows[std::size_t(kWordRows[std::size_t(word)])].value(lang));
}
