// Session: the rate belongs to the motor.  Without --baud each named target
// is asked at every rate in turn (the rate found for the target before first),
// so that a batch over motors at several rates finds each at its own, and an
// address that answers at two rates is refused instead of guessed.
#include "Session.h"

#include "CliText.h"
#include "MotorSettings.h"

using K = CommandRow::Kind;
using namespace SessionStep;

bool Session::findsRateOfTarget() const
{
    if (m_req.baudCode >= 0)
        return false;
    const bool idWrite = m_req.kind() == K::Set && m_req.change.setting->kind() == Settings::Kind::Address;
    const MotorTarget *t = requestedTarget();
    const bool named = t && !t->isGroup();
    return idWrite || (named && (m_req.kind() == K::Read || m_req.kind() == K::Set || m_req.kind() == K::Apply));
}

void Session::startRateSearch()
{
    RateSearch search;
    if (m_foundRate) {
        search.rates << *m_foundRate;
        search.firstIsKnown = true;
    }
    for (const int bps : MotorSettings::BaudRates)
        if (!search.rates.contains(bps))
            search.rates << bps;
    const MotorTarget *t = requestedTarget();
    // An ID write's question goes to every motor: the rate is where any answers.
    search.anyAnswer = m_req.kind() == K::Set && m_req.change.setting->kind() == Settings::Kind::Address;
    if (search.anyAnswer || !t)
        m_link.setTarget({0, t ? t->channels : m_req.change.target.channels});
    m_search = search;
    askAtNextRate();
}

void Session::askAtNextRate()
{
    RateSearch &search = *m_search;
    search.ticks = 0;
    const int rate = search.rates.at(search.next++);
    if (m_link.rateBps() != rate && !m_link.reopenAt(rate))
        return; // the port failed: the run ends with its own words
    m_link.readBasic();
}

void Session::heardDuringSearch()
{
    RateSearch &search = *m_search;
    const int rate = search.rates.at(search.next - 1);
    if (!search.answeredAt.contains(rate))
        search.answeredAt << rate;
}

bool Session::rateSearchTick(Reading &reading)
{
    RateSearch &search = *m_search;
    const bool answeredHere = !search.answeredAt.isEmpty()
        && search.answeredAt.last() == search.rates.at(search.next - 1);
    // Found where it was found before, or (an ID write) wherever any motor answers: no further rates.
    const bool enough = answeredHere && (search.anyAnswer || (search.firstIsKnown && search.next == 1));
    if (!enough && ++search.ticks <= RateAnswerTicks)
        return false;
    if (!enough && search.next < search.rates.size()) {
        askAtNextRate();
        return false;
    }
    return rateSearchOver(reading);
}

bool Session::rateSearchOver(Reading &reading)
{
    const RateSearch search = *std::exchange(m_search, std::nullopt);
    const MotorTarget *t = requestedTarget();
    if (search.answeredAt.size() > 1 && t && !search.anyAnswer) {
        QStringList rates;
        for (int bps : search.answeredAt)
            rates << QString::number(bps);
        endTarget(NoAnswer, say(CliText::CliTwoRates).arg(printTarget(*t), rates.join(QStringLiteral(", "))));
        return true;
    }
    if (search.answeredAt.isEmpty())
        return false; // not found: the reading ends with its reason
    m_foundRate = search.answeredAt.first();
    m_rateKnown = true;
    if (m_link.rateBps() != *m_foundRate && !m_link.reopenAt(*m_foundRate))
        return true;
    if (search.anyAnswer) {
        proceed(); // the ID write asks the line itself, now at its rate
        return true;
    }
    // Read again at the rate found: its report is the motor's as it is there.
    m_facts = {};
    reading.ticks = 0;
    m_link.setTarget(*t);
    m_link.readBasic();
    return false;
}
