#include "MotorButtons.h"

#include "PanelLink.h"

#include <utility>

namespace {

struct ButtonItems {
    const char *label, *idle, *hover, *caption;
    Byte data;
    bool endsTarget;
};

// Learn and delete come last: leaveLearnAndDelete() counts on it.
constexpr ButtonItems buttonItems[] = {
    {"Label_shang", "Image_shang_dis", "Image_shang_en", nullptr, Frame::Up, true},
    {"Label_ting", "Image_ting_zhi_dis", "Image_ting_zhi_en", nullptr, Frame::Stop, true},
    {"Label_xia", "Image_xia_dis", "Image_xia_en", nullptr, Frame::Down, true},
    {"Label_dui_ma", "Image_dui_ma_dis", "Image_dui_ma_en", "Label_dui_ma_b", Frame::Learn, false},
    {"Label_shan_ma", "Image_shan_ma_dis", "Image_shan_ma_en", "Label_shan_ma_b", Frame::Delete, false},
};
constexpr int FirstLearnOrDelete = 3;

} // namespace

MotorButtons::MotorButtons(const PanelItems &items, PanelLink &link, BringToFront bringToFront)
    : m_link(link), m_bringToFront(std::move(bringToFront))
{
    static_assert(std::size(buttonItems) == std::tuple_size_v<decltype(m_buttons)>);
    for (int b = 0; b < int(m_buttons.size()); ++b) {
        const ButtonItems &i = buttonItems[b];
        const auto item = [&](const char *name) { return name ? items(QLatin1String(name)) : nullptr; };
        m_buttons[b] = {item(i.label), item(i.idle), item(i.hover), item(i.caption), i.data, i.endsTarget};
        m_buttons[b].label->onPress = [this, b](QMouseEvent *) { pressed(b); };
        m_buttons[b].label->onRelease = [this, b](QMouseEvent *) { released(b); };
        m_buttons[b].label->onMove = [this, b](QMouseEvent *) { hovered(b); };
    }
}

void MotorButtons::leaveAll()
{
    for (const Button &b : m_buttons) {
        b.idle->setVisible(true);
        b.hover->setVisible(false);
    }
}

void MotorButtons::leaveLearnAndDelete()
{
    for (int b = FirstLearnOrDelete; b < int(m_buttons.size()); ++b) {
        m_buttons[b].hover->setVisible(false);
        m_buttons[b].idle->setVisible(true);
    }
}

void MotorButtons::pressed(int button)
{
    const Button &b = m_buttons[button];
    b.hover->moveBy(0, 2);
    if (b.caption)
        b.caption->moveBy(0, 2);
    if (m_link.sendCheckedCommand(Frame::Motor, b.data) && b.endsTarget)
        m_link.positionTarget().drop();
}

void MotorButtons::released(int button)
{
    const Button &b = m_buttons[button];
    b.hover->moveBy(0, -2);
    if (b.caption)
        b.caption->moveBy(0, -2);
    m_link.flushReleaseMessage();
}

void MotorButtons::hovered(int button)
{
    const Button &b = m_buttons[button];
    m_bringToFront(b.label);
    b.hover->setVisible(true);
    b.idle->setVisible(false);
}
