#include "Inventory.h"

#include "ChannelNumbers.h"
#include "Arguments.h"
#include "CliText.h"
#include "LineInventory.h"
#include "Output.h"
#include "PortChoice.h"
#include "SettingNames.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonArray>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

enum Exit { Found = 0, NoneFound = 1, PortFailed = 3, Interrupted = 128 };

int signalPipe[2] = {-1, -1};

void onSignal(int number)
{
    const char c = char(number);
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

bool number(const QString &text, int min, int max, int &out)
{
    bool ok = false;
    out = text.toInt(&ok);
    return ok && out >= min && out <= max && text.trimmed() == text && !text.startsWith(u'+');
}

// "a" or "a-b" with min <= a <= b <= max.
bool range(const QString &text, int min, int max, int &first, int &last)
{
    const QStringList ends = text.split(u'-');
    if (ends.size() > 2 || !number(ends[0], min, max, first))
        return false;
    last = first;
    return ends.size() == 1 || (number(ends[1], min, max, last) && first <= last);
}

// One line of progress that the next overwrites, on a terminal only.
class ProgressLine {
public:
    ProgressLine() : m_shown(::isatty(STDERR_FILENO)) {}
    ~ProgressLine() { clear(); }
    void show(const QString &text)
    {
        if (!m_shown)
            return;
        const QByteArray line = text.toLocal8Bit();
        std::fprintf(stderr, "\r%s\033[K", line.constData());
        std::fflush(stderr);
        m_dirty = true;
    }
    void clear()
    {
        if (m_dirty)
            std::fprintf(stderr, "\r\033[K");
        m_dirty = false;
    }

private:
    const bool m_shown;
    bool m_dirty = false;
};

} // namespace

bool parseIdRange(const QString &text, int &first, int &last, QString &error)
{
    if (range(text, 1, MotorSettings::MaxId, first, last))
        return true;
    error = say(CliText::CliBadNumber).arg(QStringLiteral("--ids"), text, QStringLiteral("1..99, FIRST-LAST"));
    return false;
}

bool parseChannelList(const QString &text, QList<int> &channels, QString &error)
{
    channels.clear();
    for (const QString &part : text.split(u',')) {
        int first = 0, last = 0;
        if (!range(part, 1, MotorSettings::ChannelCount, first, last)) {
            error =
                say(CliText::CliBadNumber).arg(QStringLiteral("--channels"), text, QStringLiteral("1..16, 1-3, 1,5,9"));
            return false;
        }
        for (int c = first; c <= last; ++c)
            if (!channels.contains(c))
                channels << c;
    }
    return true;
}

int runInventory(const Request &request, Output &out)
{
    QString port = request.port;
    if (port.isEmpty()) {
        QString note, error;
        port = onlyUsbAdapter(serialPorts(), note, error);
        if (port.isEmpty()) {
            out.error(error + u'\n' + say(CliText::CliChoosePort), {{QStringLiteral("exit"), 2}});
            return 2;
        }
        out.say(note, true);
    }

    MotorLink link;
    QString openFailure;
    QObject::connect(&link, &MotorLink::portError,
                     [&](const QString &text, MotorLink::PortCause cause, const DeviceAccess &device) {
                         openFailure = openFailureReason(port, cause, device, text);
                     });
    if (!link.choosePort(port, false)) {
        out.error(openFailure, {{QStringLiteral("port"), port}, {QStringLiteral("exit"), PortFailed}});
        return PortFailed;
    }
    link.setStatusPolling(false);

    LineInventory::Scope scope;
    scope.firstId = request.firstId;
    scope.lastId = request.lastId;
    scope.channels = request.channels;
    if (const auto bps = MotorSettings::baudCodeBps(request.baudCode))
        scope.rates = {*bps};

    LineInventory inventory(link);
    QEventLoop loop;
    ProgressLine progress;
    QString lost;
    QObject::connect(&inventory, &LineInventory::probingRate,
                     [&](int rate) { progress.show(say(CliText::CliInventoryListening).arg(rate)); });
    QObject::connect(&inventory, &LineInventory::progress, [&](int done, int total, int id, int motors) {
        progress.show(say(CliText::CliInventoryProgress).arg(done).arg(total).arg(id).arg(motors));
    });
    QObject::connect(&inventory, &LineInventory::entryFound, [&](const LineInventory::Entry &e) {
        progress.clear();
        const QString target = QStringLiteral("%1:%2").arg(e.id).arg(channelNumbersText(e.channels));
        if (e.collision) {
            out.say(say(CliText::CliInventoryCollision).arg(target).arg(e.rate));
        } else {
            const QString position = e.position ? QStringLiteral("%1 %").arg(*e.position)
                                                : say(CliText::CliInventoryPositionUnknown);
            out.say(say(CliText::CliInventoryMotor).arg(target).arg(e.rate).arg(position));
        }
        out.record(Record::Scan,
                   {{QStringLiteral("id"), e.id},
                    {QStringLiteral("channels"), channelArray(e.channels)},
                    {QStringLiteral("port"), port},
                    {QStringLiteral("rate"), e.rate},
                    {QStringLiteral("position"), e.position ? QJsonValue(*e.position) : QJsonValue()},
                    {QStringLiteral("collision"), e.collision}});
    });
    QObject::connect(&link, &MotorLink::portLost, [&](const QString &, const QString &reason) {
        lost = say(CliText::CliPortLost).arg(port, reason);
    });
    QObject::connect(&inventory, &LineInventory::finished, &loop, [&loop] { loop.exit(0); });

    // Ctrl-C and SIGTERM end the run between two ticks.
    int signalNumber = 0;
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return NoneFound;
    QSocketNotifier interrupts(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&interrupts, &QSocketNotifier::activated, [&] {
        char c = 0;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &c, 1);
        signalNumber = c;
        inventory.cancel();
    });
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);

    link.tickTimer().start();
    inventory.start(scope);
    loop.exec();
    link.tickTimer().stop();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    progress.clear();

    const int motors = inventory.motorsFound();
    const int collisions = int(inventory.found().size()) - motors;
    int code = motors > 0 ? Found : NoneFound;
    if (signalNumber)
        code = Interrupted + signalNumber;
    const QString ids = QStringLiteral("%1-%2").arg(scope.firstId).arg(scope.lastId);
    if (!lost.isEmpty())
        out.error(lost, {{QStringLiteral("port"), port}, {QStringLiteral("exit"), code}});
    else if (motors == 0 && !signalNumber)
        out.say(say(CliText::CliInventoryNone).arg(port, ids));
    if (signalNumber)
        out.say(say(CliText::CliInventoryCut));
    out.say(say(CliText::CliInventorySummary).arg(motors).arg(collisions).arg(port));
    out.record(Record::Summary,
               {{QStringLiteral("command"), QStringLiteral("scan")},
                {QStringLiteral("port"), port},
                {QStringLiteral("ids"), ids},
                {QStringLiteral("motors"), motors},
                {QStringLiteral("collisions"), collisions},
                {QStringLiteral("complete"), lost.isEmpty() && !signalNumber},
                {QStringLiteral("exit"), code}});
    return code;
}
