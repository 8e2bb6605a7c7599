#include "Commands.h"

#include <algorithm>
#include <vector>

namespace {

using K = CommandRow::Kind;

constexpr CommandRow kCommands[] = {
    {"ports", K::Ports, 0, "ports", CliText::CliCmdPorts, "tavik-cli ports", ""},
    {"settings", K::Settings, 0, "settings", CliText::CliCmdSettings, "tavik-cli settings --json", ""},
    {"scan", K::Scan, 0, "scan [--all]", CliText::CliCmdScan, "tavik-cli --port /dev/ttyUSB0 scan --all --ids 1-12",
     "--target --all --ids --channels"},
    {"read", K::Read, 0, "read [TARGET]", CliText::CliCmdRead, "tavik-cli --json read --target 12:3 > motor-12.json",
     "--target"},
    {"set", K::Set, 0, "set NAME VALUE", CliText::CliCmdSet, "tavik-cli set speed 100 --target 12:3",
     "--target --force"},
    {"apply", K::Apply, 0, "apply FILE", CliText::CliCmdApply, "tavik-cli apply room.json --target 1:1 --target 12:3",
     "--target --address --dry-run"},
    {"up", K::Motor, Frame::Up, "up TARGET...", CliText::CliCmdUp, "tavik-cli up 1:1 12:3", ""},
    {"stop", K::Motor, Frame::Stop, "stop TARGET...", CliText::CliCmdStop, "tavik-cli stop group:all", ""},
    {"down", K::Motor, Frame::Down, "down TARGET...", CliText::CliCmdDown, "tavik-cli down 5:all", ""},
    {"learn", K::Motor, Frame::Learn, "learn TARGET...", CliText::CliCmdLearn, "tavik-cli learn 5:2", ""},
    {"delete", K::Motor, Frame::Delete, "delete TARGET...", CliText::CliCmdDelete, "tavik-cli delete 5:2", ""},
    {"goto", K::Goto, 0, "goto TARGET... PERCENT", CliText::CliCmdGoto, "tavik-cli goto 5:1 40", ""},
    {"limit", K::Limit, 0, "limit TARGET... N", CliText::CliCmdLimit, "tavik-cli limit 5:1 2", ""},
    {"status", K::Status, 0, "status TARGET", CliText::CliCmdStatus, "tavik-cli --json status 5:1 --watch", "--watch"},
    {"monitor", K::Monitor, 0, "monitor", CliText::CliCmdMonitor, "tavik-cli --json monitor | jq -r .meaning",
     "--poll"},
};

int distance(const QString &a, const QString &b)
{
    std::vector<int> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::span<const CommandRow> commandRows()
{
    return kCommands;
}

const CommandRow *findCommand(const QString &name)
{
    for (const CommandRow &c : kCommands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

QStringList commandNames()
{
    QStringList names;
    for (const CommandRow &c : kCommands)
        names << QLatin1String(c.name);
    return names;
}

QString nearest(const QString &word, const QStringList &choices)
{
    // Two edits at most (one for short words), and a swap of two letters
    // counts as two: "stauts" is one swap from "status".
    QString best;
    int bestDistance = word.size() <= 3 ? 2 : 3;
    for (const QString &c : choices) {
        const int d = distance(word, c);
        if (d < bestDistance) {
            best = c;
            bestDistance = d;
        }
    }
    return best;
}
