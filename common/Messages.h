// The one seam through which the program shows modal message boxes.
//
// The application shows a QMessageBox with a single OK button; tests install
// a recorder and read what would have been shown, so they never block.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QMessageBox;
class QWidget;

namespace Messages {

enum class Kind { Information, Error };

using Sink = std::function<void(const QString &text, Kind kind)>;

// Shows the message now (a nested event loop runs while the box is open).
void show(const QString &text, Kind kind = Kind::Information);

// Shows the message once the current handler has returned to the event loop.
// Timer handlers use this: a QTimer does not re-enter its slot while that slot
// sits in a message box, and the ticks must go on while the box is open.
void post(const QString &text, Kind kind = Kind::Information);

// Closes the boxes still open that show this text: what they told has ended
// (a lost port that came back).  A recorder notes the text as dismissed.
void dismiss(const QString &text);

// The box show() opens, built but not shown: titled with the program's name,
// which a screen reader announces, followed by the text; one OK button, and a
// look of its own that stays readable whatever the parent window's style
// sheet or the desktop's theme.
std::unique_ptr<QMessageBox> createBox(const QString &text, Kind kind, QWidget *parent = nullptr);

// Replaces the sink; returns the previous one.  An empty sink restores the
// message box.
Sink setSink(Sink sink);

// Records every message for as long as it lives (tests).
class Recorder {
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder &) = delete;
    Recorder &operator=(const Recorder &) = delete;

    const QStringList &texts() const { return m_texts; }
    int count(const QString &text) const { return m_texts.count(text); }
    // The texts dismiss() was asked to close, in order.
    const QStringList &dismissed() const { return m_dismissed; }
    void clear()
    {
        m_texts.clear();
        m_dismissed.clear();
    }

private:
    friend void dismiss(const QString &text);

    QStringList m_texts;
    QStringList m_dismissed;
    Sink m_previous;
    Recorder *m_previousRecorder;
};

} // namespace Messages
