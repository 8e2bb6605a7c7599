// The profile reader on any bytes: it must reject or accept without a crash,
// and whatever it accepts must survive the round trip through the profile
// the tool itself writes.
#include "Profile.h"

#include <QJsonDocument>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Profile profile;
    QString error;
    if (!readProfile(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)), profile, error)) {
        if (error.isEmpty())
            std::abort(); // a rejection always says why
        return 0;
    }
    FeatureValues values;
    Target target {1, {}};
    target.mask.setWord(1);
    for (const Change &c : profile.changes) {
        if (c.setting->form == SettingName::Form::Target)
            target = c.target;
        else
            values.*c.setting->field() = c.applied(values.*c.setting->field());
    }
    const QByteArray again = QJsonDocument(writeProfile(values, target)).toJson();
    Profile reread;
    if (!readProfile(again, reread, error))
        std::abort();
    return 0;
}
