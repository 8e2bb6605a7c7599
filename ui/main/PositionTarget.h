// PositionTarget: the percent the user put the slider's pointer at, kept
// while the motor runs there.  While it is pending, the motor's status
// answers do not move the pointer.  It ends when an answer puts the motor
// within one percent of it, or after five answers in a row that no longer
// say the motor is on its way; neither ends it while the user still holds
// the pointer, and that count stands still meanwhile.  No widgets: the panel
// owns one, and the protocol tests drive it with answers.
#pragma once

#include "Frames.h"

class PositionTarget {
public:
    // A press on the slider (or a slider key) starts a target and holds it;
    // the release lets go; a motion command drops the target.
    void hold() { m_pending = m_held = true; }
    void letGo() { m_held = false; }
    void drop() { m_pending = m_held = false; }
    // Where the pointer stands, in percent.
    void setPercent(int percent) { m_percent = percent; }
    bool pending() const { return m_pending; }
    int percent() const { return m_percent; }

    // A status answer of the motor addressed with its position and status
    // byte.  true: the target was pending when it came, so the pointer stays
    // where the user put it.
    bool keepsPointer(int position, Byte status)
    {
        const bool wasPending = m_pending;
        if (!wasPending) {
            m_quietAnswers = 0;
            return false;
        }
        if (position >= m_percent - 1 && position <= m_percent + 1 && !m_held)
            m_pending = false;
        if (status & Frame::StatusKeepTarget) {
            m_quietAnswers = 0;
        } else if (!m_held && ++m_quietAnswers >= QuietAnswersToSettle) {
            m_quietAnswers = 0;
            m_pending = false;
        }
        return wasPending;
    }

private:
    static constexpr int QuietAnswersToSettle = 5;

    bool m_pending = false;
    bool m_held = false;
    int m_percent = 0;
    int m_quietAnswers = 0; // answers without "on its way" since the target was set
};
