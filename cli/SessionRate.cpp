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
    search.asked = search.anyAnswer || !t ? MotorTarget {0, t ? t->channels : m_req.change.target.channels} : *t;
    m_search = search;
    askAtNextRate();
}

void Session::askAtNextRate()
{
    RateSearch &search = *m_search;
    m_link.read({search.asked, Frame::ReadBasic, search.rates.at(search.next++)});
}

void Session::rateSearchRead(const ReadResult &result)
{
    using O = ReadResult::Outcome;
    RateSearch &search = *m_search;
    // Motors answering at once are there too: where an ID write asks, and a forced write goes.
    const bool heard = result.read() || (search.anyAnswer && result.outcome != O::Silent)
        || (m_req.force && result.outcome == O::SeveralAnswered);
    if (heard && !search.answeredAt.contains(result.rateBps))
        search.answeredAt << result.rateBps;
    if (result.read() && !search.found)
        search.found = result;
    // Found where it was found before, or (an ID write) wherever any motor answers: no further rates.
    const bool enough = heard && (search.anyAnswer || (search.firstIsKnown && search.next == 1));
    if (!enough && search.next < search.rates.size())
        askAtNextRate();
    else
        rateSearchOver();
}

void Session::rateSearchOver()
{
    const RateSearch search = *std::exchange(m_search, std::nullopt);
    const MotorTarget *t = requestedTarget();
    if (search.answeredAt.size() > 1 && t && !search.anyAnswer) {
        QStringList rates;
        for (int bps : search.answeredAt)
            rates << QString::number(bps);
        endTarget(NoAnswer, say(CliText::CliTwoRates).arg(printTarget(*t), rates.join(QStringLiteral(", "))));
        return;
    }
    if (search.answeredAt.isEmpty()) {
        notReported(); // with the reason the answers at every rate give
        return;
    }
    m_foundRate = search.answeredAt.first();
    m_rateKnown = true;
    if (m_link.rateBps() != *m_foundRate && !m_link.reopenAt(*m_foundRate))
        return; // the port failed: the run ends with its own words
    if (search.anyAnswer) {
        proceed(); // the ID write asks the line itself, now at its rate
        return;
    }
    if (!search.found) {
        notReported(); // only answers at once: a forced write goes out regardless
        return;
    }
    m_facts = {}; // the motor as it answered at its rate: other rates' answers are no reason now
    basicReported(*search.found->answered, *search.found->values);
}
