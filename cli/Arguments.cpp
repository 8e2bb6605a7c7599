#include "Arguments.h"

#include "CliText.h"
#include "Frames.h"

#include <QFile>

namespace {

using C = Request::Command;

struct CommandRow {
    const char *name;
    C command;
    Byte data;              // motor commands: the data byte of function 0A
    const char *syntax;     // as --help shows it
    const char *text;       // its description in the language table
    const char *example;
};

constexpr CommandRow kCommands[] = {
    {"ports", C::Ports, 0, "ports", "CliHelpPorts", "tavik-cli ports"},
    {"scan", C::Scan, 0, "scan", "CliHelpScan", "tavik-cli --port /dev/ttyUSB0 scan"},
    {"read", C::Read, 0, "read", "CliHelpRead", "tavik-cli --json read > motor.json"},
    {"set", C::Set, 0, "set NAME VALUE", "CliHelpSet", "tavik-cli set functions hand-start=off direction=reverse"},
    {"apply", C::Apply, 0, "apply FILE [--dry-run]", "CliHelpApply", "tavik-cli apply motor.json --dry-run"},
    {"up", C::Motor, Frame::Up, "up TARGET", "CliHelpUp", "tavik-cli up 5:1,3"},
    {"stop", C::Motor, Frame::Stop, "stop TARGET", "CliHelpStop", "tavik-cli stop group:all"},
    {"down", C::Motor, Frame::Down, "down TARGET", "CliHelpDown", "tavik-cli down 5:all"},
    {"learn", C::Motor, Frame::Learn, "learn TARGET", "CliHelpLearn", "tavik-cli learn 5:2"},
    {"delete", C::Motor, Frame::Delete, "delete TARGET", "CliHelpDelete", "tavik-cli delete 5:2"},
    {"goto", C::Goto, 0, "goto TARGET PERCENT", "CliHelpGoto", "tavik-cli goto 5:1 40"},
    {"limit", C::Limit, 0, "limit TARGET N", "CliHelpLimit", "tavik-cli limit 5:1 2"},
    {"status", C::Status, 0, "status TARGET [--watch]", "CliHelpStatus", "tavik-cli --json status 5:1 --watch"},
    {"monitor", C::Monitor, 0, "monitor", "CliHelpMonitor", "tavik-cli --json monitor | jq -r .meaning"},
};

// The arguments a command takes after its name: at least, at most (-1: any).
std::pair<int, int> argumentCount(C command)
{
    switch (command) {
    case C::Set: return {2, -1};
    case C::Apply: case C::Motor: case C::Status: return {1, 1};
    case C::Goto: case C::Limit: return {2, 2};
    default: return {0, 0};
    }
}

bool number(const QString &text, int min, int max, int &out)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < min || n > max || text.startsWith(u'+') || text.trimmed() != text)
        return false;
    out = n;
    return true;
}

bool readProfileFile(const QString &path, Profile &out, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = say("CliFileUnreadable").arg(path, file.errorString());
        return false;
    }
    // One byte beyond the limit is enough to know the file is too large.
    const QByteArray bytes = file.read(MaxProfileBytes + 1);
    if (!readProfile(bytes, out, error)) {
        error = path + QStringLiteral(": ") + error;
        return false;
    }
    return true;
}

// The command's own arguments into out.
bool parseCommandArguments(const CommandRow &row, const QStringList &a, Request &out, QString &error)
{
    switch (row.command) {
    case C::Set: {
        const SettingName *s = findSetting(a[0]);
        if (!s) {
            error = say("CliUnknownSetting").arg(a[0], settingNameList(true).join(QStringLiteral(", ")));
            return false;
        }
        if (s->form != SettingName::Form::Switches && a.size() != 2) {
            error = say("CliExtraArgument").arg(a[2], QLatin1String(row.syntax));
            return false;
        }
        return s->parse(a.mid(1).join(u' '), out.change, error);
    }
    case C::Apply:
        out.profilePath = a[0];
        return readProfileFile(a[0], out.profile, error);
    case C::Motor: case C::Goto: case C::Limit: case C::Status:
        if (!parseTarget(a[0], out.target, error))
            return false;
        if ((row.command == C::Goto || row.command == C::Status) && !singleMotor(out.target)) {
            error = say("CliOneMotor").arg(QLatin1String(row.name), a[0]);
            return false;
        }
        out.function = Frame::Motor;
        out.data = row.data;
        if (row.command == C::Goto) {
            int percent = 0;
            if (!number(a[1], 0, 100, percent)) {
                error = say("CliBadNumber").arg(QStringLiteral("PERCENT"), a[1], QStringLiteral("0..100"));
                return false;
            }
            out.function = Frame::RunToPosition;
            out.data = Byte(percent);
        } else if (row.command == C::Limit) {
            int n = 0;
            if (!number(a[1], 1, 4, n)) {
                error = say("CliBadNumber").arg(QStringLiteral("N"), a[1], QStringLiteral("1..4"));
                return false;
            }
            out.data = Byte(n);
        }
        return true;
    default:
        return true;
    }
}

} // namespace

bool parseArguments(const QStringList &args, Request &out, QString &error)
{
    Request r;
    QStringList words;
    bool helpAsked = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!arg.startsWith(QLatin1String("-")) || arg == QLatin1String("-")) {
            words << arg;
            continue;
        }
        const qsizetype eq = arg.indexOf(u'=');
        const QString name = eq < 0 ? arg : arg.left(eq);
        const bool takesValue = name == QLatin1String("--port") || name == QLatin1String("--baud");
        QString value;
        if (takesValue) {
            if (eq >= 0) {
                value = arg.mid(eq + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                error = say("CliMissingValue").arg(name);
                return false;
            }
        } else if (eq >= 0) {
            error = say("CliUnknownOption").arg(arg);
            return false;
        }
        if (name == QLatin1String("--port")) {
            if (value.isEmpty()) {
                error = say("CliMissingValue").arg(name);
                return false;
            }
            r.port = value;
        } else if (name == QLatin1String("--baud")) {
            int code = -1;
            if (value != QLatin1String("auto")) {
                Change c;
                if (!findSetting(QStringLiteral("baud"))->parse(value, c, error)) {
                    error = say("CliBadNumber").arg(QStringLiteral("--baud"), value,
                                                    QStringLiteral("auto|1200|2400|4800|9600|19200"));
                    return false;
                }
                code = c.value;
            }
            r.baudCode = code;
        } else if (name == QLatin1String("--json")) {
            r.json = true;
        } else if (name == QLatin1String("--quiet") || name == QLatin1String("-q")) {
            r.quiet = true;
        } else if (name == QLatin1String("--dry-run")) {
            r.dryRun = true;
        } else if (name == QLatin1String("--watch")) {
            r.watch = true;
        } else if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            helpAsked = true;
        } else {
            error = say("CliUnknownOption").arg(arg);
            return false;
        }
    }
    if (helpAsked || (words.size() == 1 && words[0] == QLatin1String("help"))) {
        r.command = C::Help;
        out = r;
        return true;
    }
    QStringList names;
    for (const CommandRow &row : kCommands)
        names << QLatin1String(row.name);
    if (words.isEmpty()) {
        error = say("CliNoCommand").arg(names.join(QStringLiteral(", ")));
        return false;
    }
    const CommandRow *row = nullptr;
    for (const CommandRow &c : kCommands)
        if (words[0] == QLatin1String(c.name))
            row = &c;
    if (!row) {
        error = say("CliUnknownCommand").arg(words[0], names.join(QStringLiteral(", ")));
        return false;
    }
    r.command = row->command;
    r.name = words[0];
    const QStringList rest = words.mid(1);
    const auto [least, most] = argumentCount(row->command);
    if (rest.size() < least) {
        error = say("CliMissingArgument").arg(QLatin1String(row->name), QLatin1String(row->syntax));
        return false;
    }
    if (most >= 0 && rest.size() > most) {
        error = say("CliExtraArgument").arg(rest[most], QLatin1String(row->syntax));
        return false;
    }
    if (r.dryRun && r.command != C::Apply) {
        error = say("CliOptionOnlyWith").arg(QStringLiteral("--dry-run"), QStringLiteral("apply"));
        return false;
    }
    if (r.watch && r.command != C::Status) {
        error = say("CliOptionOnlyWith").arg(QStringLiteral("--watch"), QStringLiteral("status"));
        return false;
    }
    if (!parseCommandArguments(*row, rest, r, error))
        return false;
    out = r;
    return true;
}

QString helpText()
{
    // One usage line, then sections headed "Name:", as help2man reads them.
    QString t = say("CliHelpUsage") + QStringLiteral(
        " tavik-cli [--port PATH] [--baud auto|1200|2400|4800|9600|19200] [--json] [--quiet] COMMAND [ARGS]\n\n");
    t += say("CliHelpCommands") + u'\n';
    for (const CommandRow &row : kCommands) {
        t += QStringLiteral("  %1%2\n").arg(QString::fromLatin1(row.syntax).leftJustified(26), say(row.text));
        t += QStringLiteral("  %1%2\n").arg(QString(26, u' '), QLatin1String(row.example));
    }
    t += u'\n' + say("CliHelpOptions") + u'\n';
    const std::pair<const char *, const char *> options[] = {
        {"--port PATH", "CliHelpOptPort"}, {"--baud RATE", "CliHelpOptBaud"}, {"--json", "CliHelpOptJson"},
        {"--quiet", "CliHelpOptQuiet"}, {"--dry-run", "CliHelpOptDryRun"}, {"--watch", "CliHelpOptWatch"},
        {"--help", "CliHelpOptHelp"}};
    for (const auto &[option, text] : options)
        t += QStringLiteral("  %1%2\n").arg(QString::fromLatin1(option).leftJustified(26), say(text));
    t += u'\n' + say("CliHelpTarget") + u'\n';
    t += u'\n' + say("CliHelpSettings") + u'\n';
    for (const SettingName &s : settingNames())
        t += QStringLiteral("  %1%2\n  %3%4\n").arg(QString::fromLatin1(s.name).leftJustified(14), QLatin1String(s.allowed),
                                                    QString(14, u' '), say(s.meaning));
    t += u'\n' + say("CliHelpProfile") + u'\n';
    t += u'\n' + say("CliHelpExit") + u'\n';
    return t;
}
