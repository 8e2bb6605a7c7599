#include "Arguments.h"

#include "CliText.h"
#include "Inventory.h"

#include <QFile>

namespace {

using K = CommandRow::Kind;

struct OptionRow {
    const char *name;
    bool takesValue;
};

constexpr OptionRow kOptions[] = {
    {"--port", true},   {"--baud", true}, {"--target", true},   {"--log", true},    {"--json", false},
    {"--quiet", false}, {"-q", false},    {"--dry-run", false}, {"--watch", false}, {"--address", false},
    {"--help", false},  {"-h", false},    {"--version", false}, {"--force", false}, {"--poll", true},
    {"--all", false},   {"--ids", true},  {"--channels", true},
};

// Options that go with one command only.
constexpr std::pair<const char *, const char *> kOnlyWith[] = {
    {"--dry-run", "apply"}, {"--address", "apply"}, {"--watch", "status"},   {"--force", "set"},
    {"--poll", "monitor"},  {"--all", "scan"},      {"--ids", "scan --all"}, {"--channels", "scan --all"},
};

const OptionRow *findOption(const QString &name)
{
    for (const OptionRow &o : kOptions)
        if (name == QLatin1String(o.name))
            return &o;
    return nullptr;
}

QString didYouMean(const QString &word, const QStringList &choices)
{
    const QString guess = nearest(word, choices);
    return guess.isEmpty() ? QString() : say(CliText::CliDidYouMean).arg(guess);
}

// The arguments a command takes after its name: at least, at most (-1: any).
std::pair<int, int> argumentCount(K kind)
{
    switch (kind) {
    case K::Set: return {2, -1};
    case K::Apply:
    case K::Status: return {1, 1};
    case K::Read: return {0, 1}; // read TARGET, as --target
    case K::Motor: return {0, -1};
    case K::Goto:
    case K::Limit: return {1, -1};
    default: return {0, 0};
    }
}

// The number of goto (a percent) or limit (a limit point): a decimal within
// min..max, written without '+' or spaces.
bool parseMotionValue(const QString &text, int min, int max, int &out)
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
        error = say(CliText::CliFileUnreadable).arg(path, file.errorString());
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

bool parseBaud(const QString &value, int &code, QString &error)
{
    code = -1;
    if (value == QLatin1String("auto"))
        return true;
    Change c;
    if (!findSetting(QStringLiteral("baud"))->parse(value, c, error)) {
        error = say(CliText::CliBadNumber)
                    .arg(QStringLiteral("--baud"), value, QStringLiteral("auto|1200|2400|4800|9600|19200"));
        return false;
    }
    code = c.value;
    return true;
}

// The command's own arguments into out.
bool parseCommandArguments(const CommandRow &row, QStringList a, Request &out, QString &error)
{
    switch (row.kind) {
    case K::Set: {
        const SettingName *s = findSetting(a[0]);
        if (!s) {
            error = say(CliText::CliUnknownSetting).arg(a[0], settingNameList(true).join(QStringLiteral(", ")))
                + didYouMean(a[0], settingNameList(true));
            return false;
        }
        if (s->kind() != Settings::Kind::Functions && a.size() != 2) {
            error = say(CliText::CliExtraArgument).arg(a[2], QLatin1String(row.syntax));
            return false;
        }
        return s->parse(a.mid(1).join(u' '), out.change, error);
    }
    case K::Apply: out.profilePath = a[0]; return readProfileFile(a[0], out.profile, error);
    case K::Motor:
    case K::Goto:
    case K::Limit:
    case K::Status: {
        out.function = Frame::Motor;
        out.data = row.data;
        if (row.kind == K::Goto || row.kind == K::Limit) {
            const QString value = a.takeLast();
            const bool isGoto = row.kind == K::Goto;
            int n = 0;
            if (!parseMotionValue(value, isGoto ? 0 : 1, isGoto ? 100 : 4, n)) {
                error = say(CliText::CliBadNumber)
                            .arg(QLatin1String(isGoto ? "PERCENT" : "N"), value,
                                 QLatin1String(isGoto ? "0..100" : "1..4"));
                return false;
            }
            out.function = isGoto ? Frame::RunToPosition : Frame::Motor;
            out.data = Byte(n);
        }
        for (const QString &text : a) {
            MotorTarget t;
            if (!parseTarget(text, t, error))
                return false;
            out.targets << t;
        }
        if (out.targets.isEmpty()) {
            error = say(CliText::CliMissingArgument).arg(QLatin1String(row.name), QLatin1String(row.syntax));
            return false;
        }
        for (const MotorTarget &t : std::as_const(out.targets)) {
            if ((row.kind == K::Goto || row.kind == K::Status) && !singleMotor(t)) {
                error = say(CliText::CliOneMotor).arg(QLatin1String(row.name), printTarget(t));
                return false;
            }
        }
        return true;
    }
    default: return true;
    }
}

// set and apply write to one motor each, and an ID write reaches every motor
// on the line: what cannot be confirmed, or would write the group's ID, is
// refused before the port opens.
bool checkWrites(Request &r, QString &error)
{
    const K kind = r.kind();
    if (kind != K::Set && kind != K::Apply)
        return true;
    for (const MotorTarget &t : std::as_const(r.targets)) {
        if (t.id == 0) {
            error = say(CliText::CliGroupWrite).arg(QLatin1String(r.command->name), printTarget(t));
            return false;
        }
    }
    if (r.address && r.targets.size() > 1) {
        error = say(CliText::CliAddressOneTarget);
        return false;
    }
    const QList<Change> &changes = kind == K::Set ? QList<Change> {r.change} : r.profile.changes;
    for (const Change &c : changes) {
        if (c.setting->kind() == Settings::Kind::Address && c.target.id == 0 && (kind == K::Set || r.address)) {
            error = say(CliText::CliGroupId);
            return false;
        }
    }
    // Forced, the ID write goes out without its group read, and any other
    // setting without asking its ID first.
    if (r.force && r.change.setting->kind() == Settings::Kind::Address)
        r.change.setting = findSetting(QStringLiteral("force-id"));
    return true;
}

} // namespace

bool parseArguments(const QStringList &args, Request &out, QString &error)
{
    Request r;
    r.commandLine = (QStringList {QStringLiteral("tavik-cli")} + args).join(u' ');
    r.port = qEnvironmentVariable("TAVIK_PORT");
    if (const QString baud = qEnvironmentVariable("TAVIK_BAUD");
        !baud.isEmpty() && !parseBaud(baud, r.baudCode, error)) {
        error = QStringLiteral("TAVIK_BAUD: ") + error;
        return false;
    }
    QStringList words;
    QStringList targetTexts;
    QStringList given; // the options given, for the ones that go with one command
    bool helpAsked = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!arg.startsWith(QLatin1String("-")) || arg == QLatin1String("-")) {
            words << arg;
            continue;
        }
        const qsizetype eq = arg.indexOf(u'=');
        const QString name = eq < 0 ? arg : arg.left(eq);
        const OptionRow *option = findOption(name);
        if (!option || (!option->takesValue && eq >= 0)) {
            QStringList names;
            for (const OptionRow &o : kOptions)
                names << QLatin1String(o.name);
            error = say(CliText::CliUnknownOption).arg(arg) + didYouMean(name, names);
            return false;
        }
        QString value;
        if (option->takesValue) {
            if (eq >= 0)
                value = arg.mid(eq + 1);
            else if (i + 1 < args.size())
                value = args[++i];
            if (value.isEmpty()) {
                error = say(CliText::CliMissingValue).arg(name);
                return false;
            }
        }
        given << name;
        if (name == QLatin1String("--port"))
            r.port = value;
        else if (name == QLatin1String("--baud") && !parseBaud(value, r.baudCode, error))
            return false;
        else if (name == QLatin1String("--target") || name == QLatin1String("--poll"))
            targetTexts << value; // --poll names the one motor the monitor polls
        else if (name == QLatin1String("--log"))
            r.logPath = value;
        else if (name == QLatin1String("--ids") && !parseIdRange(value, r.firstId, r.lastId, error))
            return false;
        else if (name == QLatin1String("--channels") && !parseChannelList(value, r.channels, error))
            return false;
        r.json = r.json || name == QLatin1String("--json");
        r.quiet = r.quiet || name == QLatin1String("--quiet") || name == QLatin1String("-q");
        r.dryRun = r.dryRun || name == QLatin1String("--dry-run");
        r.watch = r.watch || name == QLatin1String("--watch");
        r.address = r.address || name == QLatin1String("--address");
        r.force = r.force || name == QLatin1String("--force");
        r.all = r.all || name == QLatin1String("--all");
        helpAsked = helpAsked || name == QLatin1String("--help") || name == QLatin1String("-h");
        if (name == QLatin1String("--version"))
            r.asked = Request::Asked::Version;
    }
    if (r.asked == Request::Asked::Version) {
        out = r;
        return true;
    }
    // "help", "help COMMAND", "COMMAND --help", "--help".
    const bool helpWord = !words.isEmpty() && words[0] == QLatin1String("help");
    if (helpAsked || helpWord) {
        r.asked = Request::Asked::Help;
        const QString topic = words.value(helpWord ? 1 : 0);
        if (!topic.isEmpty() && !(r.command = findCommand(topic))) {
            error = say(CliText::CliUnknownCommand).arg(topic, commandNames().join(QStringLiteral(", ")))
                + didYouMean(topic, commandNames());
            return false;
        }
        out = r;
        return true;
    }
    if (words.isEmpty()) {
        error = say(CliText::CliNoCommand).arg(commandNames().join(QStringLiteral(", ")));
        return false;
    }
    r.command = findCommand(words[0]);
    if (!r.command) {
        error = say(CliText::CliUnknownCommand).arg(words[0], commandNames().join(QStringLiteral(", ")))
            + didYouMean(words[0], commandNames());
        return false;
    }
    const CommandRow &row = *r.command;
    const QStringList rest = words.mid(1);
    const auto [least, most] = argumentCount(row.kind);
    if (rest.size() < least || (row.kind == K::Motor && rest.isEmpty() && targetTexts.isEmpty())) {
        error = say(CliText::CliMissingArgument).arg(QLatin1String(row.name), QLatin1String(row.syntax));
        return false;
    }
    if (most >= 0 && rest.size() > most) {
        error = say(CliText::CliExtraArgument).arg(rest[most], QLatin1String(row.syntax));
        return false;
    }
    for (const auto &[option, command] : kOnlyWith) {
        const bool withAll = qstrcmp(command, "scan --all") == 0 && r.all;
        if (given.contains(QLatin1String(option)) && qstrcmp(row.name, command) != 0 && !withAll) {
            error = say(CliText::CliOptionOnlyWith).arg(QLatin1String(option), QLatin1String(command));
            return false;
        }
    }
    const bool takesTarget = QLatin1String(row.options).contains(QLatin1String("--target")) || row.movesCurtains();
    if (!targetTexts.isEmpty() && !takesTarget && !given.contains(QLatin1String("--poll"))) {
        error = say(CliText::CliOptionOnlyWith)
                    .arg(QStringLiteral("--target"),
                         QStringLiteral("scan, read, set, apply, up, stop, down, learn, delete, goto, limit"));
        return false;
    }
    if (targetTexts.size() > 1 && row.kind != K::Apply && !row.movesCurtains()) {
        error = say(CliText::CliOneTarget).arg(QLatin1String(row.name));
        return false;
    }
    if (row.kind == K::Read && !rest.isEmpty()) {
        if (!targetTexts.isEmpty()) {
            error = say(CliText::CliOneTarget).arg(QLatin1String(row.name));
            return false;
        }
        targetTexts << rest;
    }
    for (const QString &text : std::as_const(targetTexts)) {
        MotorTarget t;
        if (!parseTarget(text, t, error))
            return false;
        r.targets << t;
    }
    // Motion commands take their targets as words or with --target alike.
    QStringList commandArgs = rest;
    if (row.movesCurtains()) {
        commandArgs = targetTexts + rest;
        r.targets.clear();
    }
    if (!parseCommandArguments(row, commandArgs, r, error) || !checkWrites(r, error))
        return false;
    if (row.kind == K::Monitor && !r.targets.isEmpty() && !singleMotor(r.targets[0])) {
        error = say(CliText::CliOneMotor).arg(QStringLiteral("--poll"), printTarget(r.targets[0]));
        return false;
    }
    out = r;
    return true;
}
