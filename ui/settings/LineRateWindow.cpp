#include "LineRateWindow.h"

#include "MotorSettings.h"
#include "ScreenPlacement.h"

#include <QComboBox>
#include <QGroupBox>

namespace {

constexpr int RateCount = 4; // 19200 baud is not offered here

QComboBox *addBox(QWidget *window, const char *groupCaption, int y, const char *name, const QStringList &items)
{
    auto *group = new QGroupBox(QString::fromUtf8(groupCaption), window);
    group->setGeometry(24, y, 208, 78);
    auto *list = new QComboBox(group);
    list->setObjectName(QLatin1String(name));
    list->setGeometry(20, 32, 168, 26);
    list->addItems(items);
    return list;
}

} // namespace

LineRateWindow::LineRateWindow(MotorLink &link, QWidget *mainWindow, QWidget *parent)
    : ChildWindow(mainWindow, QStringLiteral("Form3"), QStringLiteral("串口设置"), QSize(256, 217), true, parent),
      m_link(link)
{
    placeOnScreen(this, {753, 380});
    // The rates of the first four baud codes.
    QStringList rates;
    for (int code = 0; code < RateCount; ++code)
        rates << QString::number(MotorSettings::BaudRates[std::size_t(code)]);
    m_rateList = addBox(this, "波特率设置", 16, "SetComboBox", rates);
    QStringList ports {QStringLiteral("OFF")};
    for (int n = 1; n <= 16; ++n)
        ports << QStringLiteral("COM%1").arg(n);
    m_portList = addBox(this, "串口号选择", 116, "bsSkinComboBox1", ports);
    chooseDefaults();
    for (QComboBox *list : {m_rateList, m_portList})
        connect(list, &QComboBox::currentIndexChanged, this, &LineRateWindow::reopenAtChosenRate);
}

void LineRateWindow::chooseDefaults()
{
    m_rateList->setCurrentIndex(MotorSettings::DefaultBaudCode);
    m_portList->setCurrentIndex(0); // OFF
}

void LineRateWindow::reopenAtChosenRate()
{
    if (!m_link.serial().isOpen())
        return;
    // The list's items are the first four baud codes.
    if (const auto rate = MotorSettings::baudCodeBps(m_rateList->currentIndex()))
        m_link.reopenAt(*rate); // a failure is told by the main window
}
