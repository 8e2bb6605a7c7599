#include "WireLine.h"

#include "CliText.h"
#include "FrameText.h"
#include "Frames.h"

namespace {

struct DirectionWords {
    const char *key; // the JSON value, the same in every language
    CliText text; // the word people read
};

DirectionWords words(WireLine::Direction d)
{
    switch (d) {
    case WireLine::Direction::Sent: return {"sent", CliText::CliMonitorSent};
    case WireLine::Direction::Received: return {"received", CliText::CliMonitorReceived};
    case WireLine::Direction::Discarded: return {"discarded", CliText::CliMonitorDiscarded};
    case WireLine::Direction::Port: return {"port", CliText::CliMonitorPort};
    }
    return {};
}

// Wide enough for an answer frame in hex, so the meanings line up.
constexpr int BytesWidth = Frame::ResponseSize * 3 - 1;

} // namespace

QString WireLine::text() const
{
    int directionWidth = 0;
    for (Direction d : {Direction::Sent, Direction::Received, Direction::Discarded, Direction::Port})
        directionWidth = std::max(directionWidth, int(say(words(d).text).size()));
    return QStringLiteral("%1  %2  %3  %4")
        .arg(ms, 8)
        .arg(say(words(direction).text).leftJustified(directionWidth), FrameText::hex(bytes).leftJustified(BytesWidth),
             meaning);
}

QJsonObject WireLine::json() const
{
    QJsonObject o {{QStringLiteral("time_ms"), ms},
                   {QStringLiteral("direction"), QLatin1String(words(direction).key)},
                   {QStringLiteral("meaning"), meaning}};
    if (direction != Direction::Port)
        o.insert(QStringLiteral("bytes"), FrameText::hex(bytes));
    return o;
}
