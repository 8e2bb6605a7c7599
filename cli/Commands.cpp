#include "Commands.h"

#include <algorithm>
#include <vector>

namespace {

using K = CommandRow::Kind;

constexpr CommandRow kCommands[] = {
    {"ports", K::Ports, 0, "ports", "list the serial ports: name, description, device path; USB adapters are marked",
     "tavik-cli ports", ""},
    {"settings", K::Settings, 0, "settings", "list every setting with its values, range, unit and default",
     "tavik-cli settings --json", ""},
    {"scan", K::Scan, 0, "scan", "find the line rate and the motor that answers; print rate, ID and channels",
     "tavik-cli --port /dev/ttyUSB0 scan", "--target"},
    {"read", K::Read, 0, "read [TARGET]", "read a motor's settings; with --json a profile of the motor",
     "tavik-cli --json read --target 12:3 > motor-12.json", "--target"},
    {"set", K::Set, 0, "set NAME VALUE", "write one setting to a motor, then confirm it by reading it back",
     "tavik-cli set speed 100 --target 12:3", "--target"},
    {"apply", K::Apply, 0, "apply FILE",
     "write every setting of a profile that differs from each motor, each confirmed; "
     "ID, channels and rate only with --address",
     "tavik-cli apply living.json --target 1:1 --target 12:3", "--target --address --dry-run"},
    {"up", K::Motor, Frame::Up, "up TARGET...", "run up", "tavik-cli up 1:1 12:3", ""},
    {"stop", K::Motor, Frame::Stop, "stop TARGET...", "stop", "tavik-cli stop group:all", ""},
    {"down", K::Motor, Frame::Down, "down TARGET...", "run down", "tavik-cli down 5:all", ""},
    {"learn", K::Motor, Frame::Learn, "learn TARGET...", "learn (pair) a remote code", "tavik-cli learn 5:2", ""},
    {"delete", K::Motor, Frame::Delete, "delete TARGET...", "delete a remote code", "tavik-cli delete 5:2", ""},
    {"goto", K::Goto, 0, "goto TARGET... PERCENT", "run to a position of 0..100 % (each target one ID, one channel)",
     "tavik-cli goto 5:1 40", ""},
    {"limit", K::Limit, 0, "limit TARGET... N", "run to intermediate limit point 1..4", "tavik-cli limit 5:1 2", ""},
    {"status", K::Status, 0, "status TARGET", "position and limit points; --watch prints each change until Ctrl-C",
     "tavik-cli --json status 5:1 --watch", "--watch"},
    {"monitor", K::Monitor, 0, "monitor",
     "print every frame on the line, both directions, with time and meaning, "
     "until Ctrl-C",
     "tavik-cli --json monitor | jq -r .meaning", ""},
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
