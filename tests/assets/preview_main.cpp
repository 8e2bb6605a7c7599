// Composes the main window from its pictures, with stand-ins for the labels
// and combo boxes drawn on top, and writes PNGs for a visual check:
//   QT_QPA_PLATFORM=offscreen ./tavik_assets_preview [output-dir]
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

#include "Pictures.h"

namespace {

const int kCellLeft[2][8] = {{44, 73, 102, 131, 160, 189, 218, 247}, {44, 73, 102, 131, 160, 189, 218, 247}};
const int kLimitLeft[4] = {55, 111, 167, 223};
const QColor kActiveBorder(180, 180, 180);

struct State {
    bool english = false;
    bool idHover = false, fullRangeHover = false, learnHover = false, deleteHover = false;
    bool upHover = false, stopHover = false, downHover = false;
    bool panelTitleLit = false, limitTitleLit = false;
    quint16 channels = 0x0001;
    int hoverChannel = 0; // 1..16, 0 = none
    quint8 limits = 0; // bit n-1 = limit point n available
    int position = -1; // percent, -1 = no position display
};

void put(QPainter &p, const char *name, int x, int y)
{
    p.drawPixmap(x, y, Pictures::pixmap(QString::fromLatin1(name)));
}

void label(QPainter &p, int x, int y, const QString &text, const QColor &color, bool bold = false, int w = 0, int h = 0)
{
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(12);
    f.setBold(bold);
    p.setFont(f);
    p.setPen(color);
    if (w > 0)
        p.drawText(QRect(x, y, w, h), Qt::AlignCenter, text.trimmed());
    else
        p.drawText(QRect(x, y, 300, 20), Qt::AlignLeft | Qt::AlignTop, text);
}

void combo(QPainter &p, QRect r, const QString &text, bool enabled)
{
    p.setPen(QColor(enabled ? 120 : 90, enabled ? 140 : 100, enabled ? 170 : 120));
    p.setBrush(enabled ? QColor(248, 250, 252) : QColor(225, 229, 236));
    p.drawRect(r.adjusted(0, 0, -1, -1));
    p.setBrush(Qt::NoBrush);
    label(p, r.x() + 4, r.y() + 1, text, QColor(30, 30, 30));
    p.setPen(QColor(60, 60, 60));
    const int ax = r.right() - 10, ay = r.y() + 8;
    p.drawLine(ax - 3, ay, ax, ay + 3);
    p.drawLine(ax, ay + 3, ax + 3, ay);
}

QImage compose(const State &s)
{
    QImage img(616, 538, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::black);
    QPainter p(&img);
    put(p, "background", 0, 0);
    put(p, "panel_channels", 34, 152);
    put(p, "panel_limits", 33, 384);
    if (s.idHover)
        put(p, "area_hover", 87, 54);

    put(p, s.fullRangeHover ? "fullrange_hover" : "fullrange_idle", 53, 258);
    put(p, s.learnHover ? "learn_hover" : "learn_idle", 54, 303);
    put(p, s.deleteHover ? "delete_hover" : "delete_idle", 187, 304);
    if (s.upHover)
        put(p, "up_hover", 420, 239);
    else
        put(p, "up_idle", 420, 241);
    if (s.stopHover)
        put(p, "stop_hover", 420, 339);
    else
        put(p, "stop_idle", 420, 341);
    if (s.downHover)
        put(p, "down_hover", 420, 415);
    else
        put(p, "down_idle", 420, 417);

    for (int n = 1; n <= 16; ++n) {
        const int row = n <= 8 ? 0 : 1;
        const int x = kCellLeft[row][(n - 1) % 8];
        const bool selected = s.channels & (1u << (n - 1));
        if (selected)
            put(p, "channel_selected", x, row == 0 ? 201 : 224);
        else if (n == s.hoverChannel)
            put(p, "channel_hover", x, row == 0 ? 200 : 224);
        else
            put(p, "channel_idle", x, row == 0 ? 200 : 224);
        label(p, x + 1, (row == 0 ? 202 : 226) - 0, QString::number(n), Qt::white, true, 25, 16);
    }
    for (int n = 1; n <= 4; ++n) {
        const bool available = s.limits & (1u << (n - 1));
        const int x = kLimitLeft[n - 1];
        if (available)
            put(p, "limit_selected", x, 448);
        else
            put(p, "limit_idle", x, n == 1 ? 448 : 447);
        label(p, x, 448, QString::number(n), available ? Qt::white : kActiveBorder, false, 37, 29);
    }

    if (s.position >= 0) {
        put(p, "slider_track", 347, 153);
        const int w = qMin(210, s.position * 2);
        if (w > 0)
            p.drawPixmap(347, 170, Pictures::pixmap(QStringLiteral("slider_bar")), 0, 0, w, 4);
        put(p, "slider_pointer", 339 + s.position * 2, 164);
        label(p, s.english ? 300 : 313, 165, s.english ? "Open" : "开", Qt::white);
        label(p, 555, 165, s.english ? "Close" : "合", Qt::white);
        p.setPen(QColor(120, 140, 170));
        p.setBrush(Qt::white);
        p.drawRect(505, 199, 40, 18);
        p.setBrush(Qt::NoBrush);
        label(p, 508, 200, QString::number(s.position), Qt::black);
    }

    const QColor caption(226, 232, 240);
    label(p, 25, 72, s.english ? "ID Select" : " ID 选择", caption);
    label(p, s.english ? 285 : 325, 72, s.english ? "CommPort Select" : "串口选择", caption);
    combo(p, QRect(98, 69, 168, 20), s.english ? "Group" : "群控", s.idHover);
    combo(p, QRect(402, 70, 169, 20), "OFF", false);
    label(p, s.english ? 116 : 129, 165, s.english ? "Channel Select" : "频道选择",
          s.panelTitleLit ? QColor(Qt::white) : QColor(192, 192, 192));
    label(p, 133, s.fullRangeHover ? 265 : 266, s.english ? "Full Range" : "全      频", Qt::white);
    label(p, 75, s.english ? 310 : 310, s.english ? "Learn" : " 对 码", Qt::white);
    label(p, 209, 310, s.english ? "Delete" : " 删 码", Qt::white);
    label(p, 60, 395, s.english ? "   Middle Limit Point" : "运行到中间限位点",
          s.limitTitleLit ? QColor(Qt::white) : QColor(128, 128, 128));
    return img;
}

QImage zoom(const QImage &src, int factor)
{
    return src.scaled(src.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

QImage sheet()
{
    const char *names[] = {"area_hover",       "fullrange_idle", "fullrange_hover", "learn_idle",     "learn_hover",
                           "delete_idle",      "delete_hover",   "up_idle",         "up_hover",       "stop_idle",
                           "stop_hover",       "down_idle",      "down_hover",      "channel_idle",   "channel_hover",
                           "channel_selected", "limit_idle",     "limit_hover",     "limit_selected", "slider_track",
                           "slider_bar",       "slider_pointer", "app_icon"};
    const int factor = 3;
    QImage img(1200, 1100, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(16, 26, 45));
    QPainter p(&img);
    int x = 10, y = 10, rowH = 0;
    for (const char *n : names) {
        const QImage pic = zoom(Pictures::pixmap(QString::fromLatin1(n)).toImage(), factor);
        if (x + pic.width() > img.width() - 10) {
            x = 10;
            y += rowH + 24;
            rowH = 0;
        }
        p.drawImage(x, y, pic);
        label(p, x, y + pic.height() + 2, QString::fromLatin1(n), QColor(200, 210, 225));
        x += qMax(pic.width(), 120) + 16;
        rowH = qMax(rowH, pic.height());
    }
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/assets-preview");
    QDir().mkpath(dir);

    State idle;
    State active;
    active.idHover = active.fullRangeHover = active.upHover = active.learnHover = true;
    active.panelTitleLit = active.limitTitleLit = true;
    active.channels = 0x0805; // channels 1, 3 and 12
    active.hoverChannel = 5;
    active.limits = 0x06; // limit points 2 and 3
    active.position = 40;
    State english = active;
    english.english = true;
    english.upHover = english.learnHover = english.fullRangeHover = false;
    english.stopHover = english.deleteHover = true;
    english.channels = 0xFFFF;
    english.limits = 0x0F;
    english.position = 100;

    QTextStream out(stdout);
    const auto save = [&](const QImage &image, const QString &name) {
        const QString path = dir + QLatin1Char('/') + name;
        image.save(path);
        out << path << '\n';
    };
    save(compose(idle), QStringLiteral("main_idle.png"));
    save(compose(active), QStringLiteral("main_active.png"));
    save(compose(english), QStringLiteral("main_english.png"));
    save(zoom(compose(active), 2).copy(0, 260, 1232, 760), QStringLiteral("main_active_zoom.png"));
    save(sheet(), QStringLiteral("sheet.png"));
    save(Pictures::pixmap(QStringLiteral("manual_cn")).toImage(), QStringLiteral("manual_cn.png"));
    save(Pictures::pixmap(QStringLiteral("manual_en")).toImage(), QStringLiteral("manual_en.png"));
    return 0;
}
