// SIGTERM and SIGINT as a request to close: the signal handler only writes a
// byte to a pipe (the one thing a handler may safely do); the event loop reads
// it and closes the window as its close button does, so the port is closed
// and its lock file removed before the program ends.
#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

class TerminationSignals : public QObject {
    Q_OBJECT
public:
    // Installs the handlers; from then on either signal closes window.
    explicit TerminationSignals(QWidget &window);
    ~TerminationSignals() override;

private:
    QSocketNotifier *m_notifier = nullptr;
};
