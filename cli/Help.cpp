#include "Help.h"

#include "CliText.h"
#include "Version.h"
#include "PortChoice.h"
#include "SettingNames.h"

#include <QJsonArray>

namespace {

constexpr int Column = 28;
constexpr int Width = 80; // a terminal's columns: no help line is longer

struct OptionHelp {
    const char *option;
    CliText text;
};

constexpr OptionHelp kOptionHelp[] = {
    {"--port PATH", CliText::CliHelpOptPort},
    {"--baud RATE", CliText::CliHelpOptBaud},
    {"--target ID:CHANNELS", CliText::CliHelpOptTarget},
    {"--address", CliText::CliHelpOptAddress},
    {"--dry-run", CliText::CliHelpOptDryRun},
    {"--watch", CliText::CliHelpOptWatch},
    {"--force", CliText::CliHelpOptForce},
    {"--poll ID:CHANNELS", CliText::CliHelpOptPoll},
    {"--all", CliText::CliHelpOptAll},
    {"--ids FIRST-LAST", CliText::CliHelpOptIds},
    {"--channels LIST", CliText::CliHelpOptChannels},
    {"--json", CliText::CliHelpOptJson},
    {"--quiet", CliText::CliHelpOptQuiet},
    {"--log FILE", CliText::CliHelpOptLog},
    {"--help", CliText::CliHelpOptHelp},
    {"--version", CliText::CliHelpOptVersion},
};

// The text broken at blanks into lines of at most Width columns, each
// after indent blanks (the first line after `first` instead, when given).
QString fitted(const QString &text, int indent, const QString &first = {})
{
    QString out;
    QString line = first.isNull() ? QString(indent, u' ') : first;
    bool empty = true;
    for (const QString &word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (!empty && line.size() + 1 + word.size() > Width) {
            out += line + u'\n';
            line = QString(indent, u' ');
            empty = true;
        }
        line += (empty ? QString() : QStringLiteral(" ")) + word;
        empty = false;
    }
    return out + line + u'\n';
}

QString row(const QString &left, const QString &right)
{
    // A long left side has its text on the next line.
    if (left.size() > Column - 4)
        return QStringLiteral("  ") + left + u'\n' + fitted(right, Column - 1);
    return fitted(right, Column - 1, QStringLiteral("  ") + left.leftJustified(Column - 3));
}

QString paragraph(CliText text)
{
    return fitted(say(text), 0);
}

// The allowed values with the unit, and the default.
QString rangeText(const SettingName &s)
{
    QString t = s.allowedValues();
    if (*s.row().unit)
        t += u' ' + QLatin1String(s.row().unit);
    if (s.defaultValue() >= 0) {
        SettingValues v;
        v.*s.field() = Byte(s.defaultValue());
        t += QStringLiteral("; ") + say(CliText::CliDefault).arg(s.print(v, {}));
    }
    return t;
}

QString commonOptions(const char *only)
{
    QString t;
    for (const OptionHelp &o : kOptionHelp) {
        const QString name = QString::fromLatin1(o.option).section(u' ', 0, 0);
        const bool specific = name == QLatin1String("--target") || name == QLatin1String("--address")
            || name == QLatin1String("--dry-run") || name == QLatin1String("--watch")
            || name == QLatin1String("--force") || name == QLatin1String("--poll") || name == QLatin1String("--all")
            || name == QLatin1String("--ids") || name == QLatin1String("--channels");
        if (!only || !specific || QLatin1String(only).contains(name))
            t += row(QLatin1String(o.option), say(o.text));
    }
    return t;
}

QString settingsHelp()
{
    QString t;
    for (const SettingName &s : settingNames())
        t += row(QLatin1String(s.name), rangeText(s)) + row(QString(), say(s.meaning));
    return t;
}

} // namespace

QString helpText()
{
    // One usage line, then sections headed "Name:", as help2man reads them.
    QString t = say(CliText::CliHelpUsage)
        + QStringLiteral(" tavik-cli [--port PATH] [--baud auto|1200|2400|4800|9600|19200]\n"
                         "                 [--json] [--quiet] [--log FILE] COMMAND [ARGS]\n");
    t += QStringLiteral("       tavik-cli help COMMAND | COMMAND --help | --version\n\n");
    t += say(CliText::CliHelpCommands) + u'\n';
    for (const CommandRow &c : commandRows())
        t += row(QLatin1String(c.syntax), say(c.text)) + row(QString(), QLatin1String(c.example));
    t += u'\n' + say(CliText::CliHelpOptions) + u'\n' + commonOptions(nullptr);
    t += u'\n' + paragraph(CliText::CliHelpTarget);
    t += u'\n' + say(CliText::CliHelpSettings) + u'\n' + settingsHelp();
    t += u'\n' + paragraph(CliText::CliHelpProfile);
    t += u'\n' + paragraph(CliText::CliHelpEnvironment);
    t += u'\n' + paragraph(CliText::CliHelpExit);
    return t;
}

QString commandHelp(const CommandRow &c)
{
    QString t = say(CliText::CliHelpUsage) + QStringLiteral(" tavik-cli [OPTIONS] %1\n\n").arg(QLatin1String(c.syntax));
    t += paragraph(c.text) + u'\n' + say(CliText::CliHelpExample) + u'\n'
        + QStringLiteral("  %1\n\n").arg(QLatin1String(c.example));
    t += say(CliText::CliHelpOptions) + u'\n' + commonOptions(c.options);
    if (c.kind == CommandRow::Kind::Set || c.kind == CommandRow::Kind::Apply)
        t += u'\n' + say(CliText::CliHelpSettings) + u'\n' + settingsHelp();
    if (c.kind != CommandRow::Kind::Ports && c.kind != CommandRow::Kind::Settings)
        t += u'\n' + paragraph(CliText::CliHelpTarget);
    t += u'\n' + paragraph(CliText::CliHelpExit);
    return t;
}

QString versionText()
{
    return QStringLiteral("tavik-cli %1\n").arg(QStringLiteral(TAVIK_VERSION));
}

void listPorts(Output &out)
{
    const QList<SerialPortEntry> ports = serialPorts();
    if (ports.isEmpty())
        out.say(say(CliText::CliNoPorts));
    else
        out.say(say(CliText::CliPortsHeader)); // the columns below, tab-separated like them
    for (const SerialPortEntry &p : ports) {
        out.say(QStringLiteral("%1\t%2\t%3")
                    .arg(p.path, p.usbAdapter ? QStringLiteral("usb") : QStringLiteral("-"),
                         p.description.isEmpty() ? QStringLiteral("-") : p.description));
        out.record(Record::Port,
                   {{QStringLiteral("port"), p.path},
                    {QStringLiteral("usb"), p.usbAdapter},
                    {QStringLiteral("meaning"), p.description}});
    }
}

void listSettings(Output &out)
{
    for (const SettingName &s : settingNames()) {
        out.say(
            QStringLiteral("%1%2\n%3%4")
                .arg(QString::fromLatin1(s.name).leftJustified(14), rangeText(s), QString(14, u' '), say(s.meaning)));
        QJsonArray words;
        for (const auto &[word, code] : s.row().words)
            words << QLatin1String(word);
        if (s.kind() == Settings::Kind::Functions)
            for (const Settings::CurtainFunction &f : Settings::curtainFunctions())
                words << QStringLiteral("%1=%2|%3").arg(functionName(f), QLatin1String(f.clear), QLatin1String(f.set));
        QJsonObject o {{QStringLiteral("setting"), QLatin1String(s.name)},
                       {QStringLiteral("values"), s.allowedValues()},
                       {QStringLiteral("words"), words},
                       {QStringLiteral("unit"), QLatin1String(s.row().unit)},
                       {QStringLiteral("meaning"), say(s.meaning)},
                       {QStringLiteral("in_profile"), s.inReport}};
        if (s.row().min <= s.row().max) {
            o.insert(QStringLiteral("min"), s.row().min);
            o.insert(QStringLiteral("max"), s.row().max);
        }
        if (s.defaultValue() >= 0) {
            SettingValues v;
            v.*s.field() = Byte(s.defaultValue());
            o.insert(QStringLiteral("default"), s.toJson(v, {}));
        }
        out.record(Record::Setting, o);
    }
}
