// The profile reader on any bytes: it must reject or accept without a crash,
// a rejection must say why, and what it accepts must survive the round trip
// through the profile the tool itself writes.
#include "Profile.h"

#include <QJsonDocument>

#include <cstdlib>

namespace {

// A motor as it leaves the factory: every value one the tool can write.
SettingValues factoryValues()
{
    SettingValues v;
    v.maxSpeed = 130;
    v.curtainFunctions = 0x40;
    v.jogTime = 4;
    v.obstacleSensitivity = 1;
    v.reboundTime = 1;
    v.deviceBaudCode = 1;
    return v;
}

// The values and target a motor holds once the profile is applied to it.
void applyTo(const Profile &p, SettingValues &values, MotorTarget &target)
{
    for (const Change &c : p.changes) {
        if (c.setting->kind() == Settings::Kind::Address)
            target = c.target;
        else
            values.*c.setting->field() = c.applied(values.*c.setting->field());
    }
}

bool operator==(const SettingValues &a, const SettingValues &b)
{
    return a.dryContactMode == b.dryContactMode && a.maxSpeed == b.maxSpeed && a.curtainFunctions == b.curtainFunctions
        && a.jogTime == b.jogTime && a.obstacleSensitivity == b.obstacleSensitivity && a.reboundTime == b.reboundTime
        && a.deviceBaudCode == b.deviceBaudCode;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Profile profile;
    QString error;
    if (!readProfile(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)), profile, error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    SettingValues values = factoryValues();
    MotorTarget target {1, {}};
    target.channels.setWord(1);
    applyTo(profile, values, target);

    Profile reread;
    if (!readProfile(QJsonDocument(writeProfile(values, target)).toJson(), reread, error))
        std::abort();
    SettingValues again = factoryValues();
    MotorTarget againTarget;
    applyTo(reread, again, againTarget);
    if (!(again == values) || !(againTarget == target))
        std::abort();
    return 0;
}
