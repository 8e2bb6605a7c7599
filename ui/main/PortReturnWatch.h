// Watches the device of a lost port: once its name is there again (the
// adapter plugged back in, the same device node or link), it says so, once.
// A name still there when the loss was noticed must vanish first, so a port
// lost for another reason is not reopened over and over.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class PortReturnWatch : public QObject {
    Q_OBJECT
public:
    explicit PortReturnWatch(QObject *parent = nullptr);

    void watch(const QString &deviceName);
    void stop();
    bool watching() const { return m_poll.isActive(); }
    const QString &deviceName() const { return m_name; }

signals:
    void deviceBack(const QString &deviceName);

private:
    void look();

    QTimer m_poll;
    QString m_name;
    bool m_seenGone = false;
    int m_seenBack = 0; // polls in a row that found it: a new node may lack its rights at first
};
