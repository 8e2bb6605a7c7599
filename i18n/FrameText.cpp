#include "FrameText.h"

#include "ChannelNumbers.h"
#include "MotorSettings.h"
#include "SettingsTable.h"

#include <QStringList>

namespace FrameText {

namespace {

// The word row `name` in `lang`.
struct Words {
    Language lang;
    QString operator()(Word word) const { return text(word, lang); }
};

Byte at(const QByteArray &bytes, int i)
{
    return Byte(bytes[i]);
}

QString hexByte(Byte b)
{
    return QStringLiteral("%1").arg(int(b), 2, 16, QLatin1Char('0')).toUpper();
}

bool wellFormed(const QByteArray &bytes, int size, Byte lead)
{
    return bytes.size() == size && at(bytes, 0) == lead
        && Frame::xorOf(reinterpret_cast<const Byte *>(bytes.constData()), 1, size - 1) == 0;
}

// "1, 3" or, with the language's "and", "1 and 3".
QString list(const QList<int> &numbers, const Words &w, bool withAnd)
{
    QString out;
    for (int i = 0; i < numbers.size(); ++i) {
        if (i > 0)
            out += w(withAnd && i == numbers.size() - 1 ? Word::MonListAnd : Word::MonListComma);
        out += QString::number(numbers[i]);
    }
    return out;
}

QString channels(const ChannelMask &mask, const Words &w)
{
    const QList<int> on = channelNumbers(mask);
    if (on.isEmpty())
        return w(Word::MonNoChannel);
    if (on.size() == MotorSettings::ChannelCount)
        return w(Word::MonAllChannels);
    return w(on.size() == 1 ? Word::MonChannel : Word::MonChannels).arg(list(on, w, false));
}

QString baud(Byte code, const Words &w)
{
    if (const auto bps = MotorSettings::baudCodeBps(code))
        return w(Word::MonBaud).arg(*bps);
    return w(Word::MonBaudCode).arg(int(code));
}

QString rebound(Byte value, const Words &w)
{
    if (value == MotorSettings::NoRebound)
        return w(Word::MonReboundNone);
    if (value == MotorSettings::UnlimitedRebound)
        return w(Word::MonReboundUnlimited);
    return w(Word::MonReboundTime).arg(int(value));
}

// Function 0A: a motor command or a limit point.
QString motorCommand(Byte data, const Words &w)
{
    switch (data) {
    case Frame::Up: return w(Word::MonUp);
    case Frame::Stop: return w(Word::MonStop);
    case Frame::Down: return w(Word::MonDown);
    case Frame::Learn: return w(Word::MonLearn);
    case Frame::Delete: return w(Word::MonDelete);
    default: break;
    }
    if (data >= 1 && data <= 4)
        return w(Word::MonGoToLimit).arg(int(data));
    return w(Word::MonMotorOther).arg(hexByte(data));
}

QString command(Byte function, Byte data, const Words &w)
{
    // Writes whose data byte is the value itself, shown in decimal.
    static constexpr std::pair<Settings::Item, Word> plainWrites[] = {
        {Settings::DryContact, Word::MonWriteDryContact},
        {Settings::MaxSpeed, Word::MonWriteSpeed},
        {Settings::JogTime, Word::MonWriteJog},
        {Settings::Sensitivity, Word::MonWriteSensitivity}};
    for (const auto &[item, name] : plainWrites)
        if (function == Settings::row(item)->function)
            return w(name).arg(int(data));

    switch (function) {
    case Frame::Motor: return motorCommand(data, w);
    case Frame::RunToPosition: return w(Word::MonRunTo).arg(int(data));
    case Frame::ForceIdChannels: return w(Word::MonForceId);
    case Frame::WriteCurtainFunctions: return w(Word::MonWriteCurtainFunctions).arg(hexByte(data));
    case Frame::WriteRebound: return w(Word::MonWriteRebound).arg(rebound(data, w));
    case Frame::WriteBaudCode: return w(Word::MonWriteBaud).arg(baud(data, w));
    case Frame::ReadBasic: return w(Word::MonReadBasic);
    case Frame::ReadExtended: return w(Word::MonReadExtended);
    case Frame::StatusPoll: return w(Word::MonStatusPoll);
    default: return w(Word::MonUnknownFunction).arg(hexByte(function), hexByte(data));
    }
}

QString parts(const QStringList &items, const Words &w)
{
    return items.join(w(Word::MonPartComma));
}

QString status(Byte position, Byte statusByte, const Words &w)
{
    QStringList items;
    if (statusByte & Frame::StatusPositionKnown)
        items << w(Word::MonPercent).arg(int(position)) << w(Word::MonPositionKnown);
    else
        items << w(Word::MonPositionUnknown);
    QList<int> limits;
    for (int n = 1; n <= 4; ++n)
        if (statusByte & Frame::limitPointBit(n))
            limits << n;
    if (limits.isEmpty())
        items << w(Word::MonNoLimitPoints);
    else
        items << w(limits.size() == 1 ? Word::MonLimitPoint : Word::MonLimitPoints).arg(list(limits, w, true));
    if (statusByte & Frame::StatusKeepTarget)
        items << w(Word::MonMoving);
    return w(Word::MonStatus).arg(parts(items, w));
}

} // namespace

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString sent(const QByteArray &frame, Language lang)
{
    const Words w {lang};
    if (!wellFormed(frame, Frame::CommandSize, Frame::CommandLead))
        return w(Word::MonNotCommand);
    const Byte id = at(frame, Frame::Id);
    const ChannelMask mask {{at(frame, Frame::Mask0), at(frame, Frame::Mask1)}};
    const QString target = id == 0 ? w(Word::MonGroup) : w(Word::MonTargetId).arg(int(id));
    return w(Word::MonCommandTo)
        .arg(command(at(frame, Frame::Function), at(frame, Frame::Data), w), target, channels(mask, w));
}

QString received(const QByteArray &frame, Language lang)
{
    const Words w {lang};
    if (!wellFormed(frame, Frame::ResponseSize, Frame::ResponseLead))
        return w(Word::MonNotAnswer);
    const auto r = *Frame::Response::parse(reinterpret_cast<const Byte *>(frame.constData()), int(frame.size()));
    SettingValues v;
    if (r.isBasic()) {
        Settings::decode(r, Settings::ReadBack::Basic, v);
        return w(Word::MonBasicReport)
            .arg(parts({w(Word::MonTargetId).arg(int(r.id())), channels(r.mask(), w), baud(v.deviceBaudCode, w),
                        w(Word::MonSpeed).arg(int(v.maxSpeed)), w(Word::MonDryContact).arg(int(v.dryContactMode)),
                        w(Word::MonCurtainFunctions).arg(hexByte(v.curtainFunctions))},
                       w));
    }
    if (r.isExtended()) {
        Settings::decode(r, Settings::ReadBack::Extended, v);
        return w(Word::MonExtendedReport)
            .arg(parts({w(Word::MonJog).arg(int(v.jogTime)), w(Word::MonSensitivity).arg(int(v.obstacleSensitivity)),
                        rebound(v.reboundTime, w)},
                       w));
    }
    return status(r.b[Frame::PositionByte], r.status(), w);
}

QString discarded(MotorLink::Discard why, qint64 count, Language lang)
{
    const Words w {lang};
    static constexpr Word reasons[] = {Word::MonNoise, Word::MonBadCheck, Word::MonCutOff, Word::MonFlood,
                                       Word::MonCollision};
    return w(Word::MonDiscarded).arg(w(reasons[int(why)]), QString::number(count));
}

QString port(MotorLink::PortEvent event, const QString &portName, int bitsPerSecond, Language lang)
{
    const Words w {lang};
    switch (event) {
    case MotorLink::PortEvent::Opened: return w(Word::MonOpened).arg(portName, QString::number(bitsPerSecond));
    case MotorLink::PortEvent::Reopened: return w(Word::MonReopened).arg(portName, QString::number(bitsPerSecond));
    case MotorLink::PortEvent::Closed: return w(Word::MonClosed).arg(portName);
    case MotorLink::PortEvent::Lost: return w(Word::MonLost).arg(portName);
    }
    return {};
}

bool isStatusTraffic(const QByteArray &frame)
{
    if (frame.size() == Frame::CommandSize && at(frame, 0) == Frame::CommandLead)
        return at(frame, Frame::Function) == Frame::StatusPoll;
    if (frame.size() == Frame::ResponseSize && at(frame, 0) == Frame::ResponseLead) {
        const Byte type = at(frame, Frame::PositionByte); // the report type, or a position
        return type != Frame::ReadBasic && type != Frame::ReadExtended;
    }
    return false;
}

} // namespace FrameText
