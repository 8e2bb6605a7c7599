#include "PanelLayout.h"

#include "MotorSettings.h"

namespace PanelLayout {
namespace {

constexpr int cellLefts[8] = {44, 73, 102, 131, 160, 189, 218, 247};
constexpr int labelLefts[2][8] = {{46, 75, 104, 133, 161, 191, 220, 249}, {46, 74, 103, 133, 161, 191, 219, 248}};
constexpr int limitLefts[4] = {55, 111, 167, 223};

int row(int n)
{
    return (n - 1) / 8;
}
int column(int n)
{
    return (n - 1) % 8;
}

std::vector<Picture> buildPictures()
{
    std::vector<Picture> p = {
        {"Image_bei_jing", "background", {0, 0, 616, 538}, true},
        {"Image_id_ch", "panel_channels", {34, 152, 250, 200}, true},
        {"Image2", "panel_limits", {33, 384, 250, 120}, true},
        {"Image_id_select", "area_hover", {87, 54, 190, 50}, false},
        {"Image_COM_EN", "area_hover", {391, 55, 190, 50}, false},
        {"Image_quan_pin_dis", "fullrange_idle", {53, 258, 210, 30}, true},
        {"Image_quan_pin_en", "fullrange_hover", {53, 258, 210, 30}, false},
        {"Image_dui_ma_dis", "learn_idle", {54, 303, 75, 30}, true},
        {"Image_dui_ma_en", "learn_hover", {54, 303, 75, 30}, false},
        {"Image_shan_ma_dis", "delete_idle", {187, 304, 75, 30}, true},
        {"Image_shan_ma_en", "delete_hover", {187, 304, 75, 30}, false},
        {"Image_shang_dis", "up_idle", {420, 241, 70, 70}, true},
        {"Image_shang_en", "up_hover", {420, 239, 70, 70}, false},
        {"Image_ting_zhi_dis", "stop_idle", {420, 341, 70, 47}, true},
        {"Image_ting_zhi_en", "stop_hover", {420, 339, 70, 47}, false},
        {"Image_xia_dis", "down_idle", {420, 417, 70, 70}, true},
        {"Image_xia_en", "down_hover", {420, 415, 70, 70}, false},
    };
    for (int n = 1; n <= MotorSettings::ChannelCount; ++n) {
        p.push_back({QStringLiteral("ImageCH%1").arg(n), "channel_idle", channelCell(n), true});
        p.push_back({QStringLiteral("ImageEnCH%1").arg(n), "channel_hover", channelCell(n), false});
        p.push_back({QStringLiteral("ImageSelectCH%1").arg(n), "channel_selected", channelSelected(n), false});
    }
    for (int n = 1; n <= 4; ++n) {
        p.push_back({QStringLiteral("Image_XWD%1").arg(n), "limit_idle", limitCell(n, true), true});
        p.push_back({QStringLiteral("ImageEnXWD%1").arg(n), "limit_hover", limitCell(n, false), false});
        p.push_back({QStringLiteral("ImageSelectXWD%1").arg(n), "limit_selected", limitCell(n, false), false});
    }
    p.push_back({"Image_Place", "slider_track", {TrackLeft, 153, TrackWidth, 38}, false});
    p.push_back({"Image_Place_en", "slider_bar", {TrackLeft, 170, 0, BarHeight}, false});
    p.push_back({"Image_Place_zhi_zhen", "slider_pointer", {PointerZero, PointerTop, 15, 17}, false});
    return p;
}

std::vector<Label> buildLabels()
{
    using R = LabelRole;
    std::vector<Label> l = {
        {"Label3", {22, 71, 0, 0}, R::Caption, ""},
        {"Label2", {325, 72, 0, 0}, R::Caption, ""},
        {"Label9", {129, 163, 0, 0}, R::Caption, ""},
        {"Label10", {60, 395, 0, 0}, R::Caption, ""},
        {"Label6", {133, 266, 0, 0}, R::Caption, ""},
        {"Label_dui_ma_b", {75, 310, 0, 0}, R::Caption, ""},
        {"Label_shan_ma_b", {209, 310, 0, 0}, R::Caption, ""},
        {"Label4", {313, 165, 0, 0}, R::Caption, ""},
        {"Label8", {556, 165, 0, 0}, R::Caption, ""},
        {"Label_id_select", {91, 55, 183, 48}, R::Hit, ""},
        {"Label_COM_SELECTE", {395, 55, 183, 48}, R::Hit, ""},
        {"Label_quan_ping", {55, 255, 207, 37}, R::Hit, ""},
        {"Label_dui_ma", {56, 305, 71, 24}, R::Hit, ""},
        {"Label_shan_ma", {189, 305, 71, 24}, R::Hit, ""},
        {"Label_shang", {419, 238, 72, 74}, R::Hit, ""},
        {"Label_ting", {417, 339, 73, 52}, R::Hit, ""},
        {"Label_xia", {419, 415, 72, 74}, R::Hit, ""},
    };
    for (int n = 1; n <= MotorSettings::ChannelCount; ++n) {
        const QString text = n < 10 ? QStringLiteral("  %1  ").arg(n) : QStringLiteral(" %1 ").arg(n);
        l.push_back({QStringLiteral("Label_ch%1").arg(n), channelLabel(n), R::Hit, text});
    }
    for (int n = 1; n <= 4; ++n)
        l.push_back({QStringLiteral("Label_XWD%1").arg(n), limitLabel(n), R::Hit, QStringLiteral("  %1  ").arg(n)});
    return l;
}

} // namespace

QRect channelCell(int n)
{
    return {cellLefts[column(n)], row(n) ? 224 : 200, 28, 20};
}
QRect channelSelected(int n)
{
    return {cellLefts[column(n)], row(n) ? 224 : 201, 28, 20};
}
QRect channelLabel(int n)
{
    return {labelLefts[row(n)][column(n)], row(n) ? 226 : 202, 25, 16};
}
QRect limitCell(int n, bool idlePicture)
{
    return {limitLefts[n - 1], idlePicture && n > 1 ? 447 : 448, 38, 30};
}
QRect limitLabel(int n)
{
    return {limitLefts[n - 1], 448, 37, 29};
}

const std::vector<Picture> &pictures()
{
    static const std::vector<Picture> p = buildPictures();
    return p;
}

const std::vector<Label> &labels()
{
    static const std::vector<Label> l = buildLabels();
    return l;
}

} // namespace PanelLayout
