// The bridge's command parser on any topic and payload: a message is either
// rejected with a reason or read into a command that is in range, whose
// topic is the one the bridge itself names, and whose frame carries a legal
// data byte.  Input: one length byte, that many topic bytes, the payload.
#include "BusScheduler.h"
#include "ChannelNumbers.h"
#include "Frames.h"
#include "Topics.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t topicSize = std::min<std::size_t>(data[0], size - 1);
    const QString topic = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(topicSize));
    const QByteArray payload(reinterpret_cast<const char *>(data + 1 + topicSize), qsizetype(size - 1 - topicSize));
    const auto parsed = parseCommand(QStringLiteral("tavik"), topic, payload);
    if (const QString *why = std::get_if<QString>(&parsed)) {
        if (why->isEmpty())
            std::abort();
        return 0;
    }
    const Command c = std::get<Command>(parsed);
    const MotorTarget &to = c.target;
    const QList<int> channels = channelNumbers(to.channels);
    if (!c.group && channels.size() != 1)
        std::abort(); // a cover is one motor on one channel
    const int channel = channels.value(0);
    const QString folder = c.group ? Topics::groupPath(QStringLiteral("tavik"), c.bus, to.id, to.channels.word())
                                   : Topics::coverPath(QStringLiteral("tavik"), c.bus, to.id, channel);
    if (!topic.startsWith(folder + u'/'))
        std::abort();
    if (c.action == Command::SetPosition && (c.value < 0 || c.value > 100))
        std::abort();
    if (c.action == Command::Limit && (c.value < 1 || c.value > 4))
        std::abort();

    BusConfig bus;
    bus.name = c.bus;
    if (c.group)
        bus.groups.append(GroupConfig {QStringLiteral("g"), to});
    else
        bus.covers.append(CoverConfig {to.id, channel, QStringLiteral("c"), (size & 1) != 0});
    BusScheduler scheduler(bus);
    if (!scheduler.enqueue(c))
        std::abort();
    const BusWork w = scheduler.next();
    if (w.kind != BusWork::Send || !(w.to == to) || (w.function == Frame::RunToPosition && w.data > 100))
        std::abort();
    return 0;
}
