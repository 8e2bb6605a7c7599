// Real parts for the bridge's tests, benchmark and soak: a mosquitto broker
// of our own on a free loopback port with a password file, an observing
// MQTT client, and tavik-mqtt as a process.
#pragma once

#include "Config.h"
#include "DiscoverySchema.h"
#include "MqttClient.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace BrokerKit {

inline const QString User = QStringLiteral("tavik");
inline const QString Password = QStringLiteral("s3cret");

// A loopback port nobody listens on right now.
inline int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

inline bool accepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(quint16(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0;
    ::close(fd);
    return ok;
}

inline void writeFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(text);
}

class Broker {
public:
    QTemporaryDir dir;
    QProcess process;
    int port = freePort();
    QString logFile; // the broker's log goes here if set, else to our standard error
    QByteArray extraConfig; // more listeners, appended to the broker's configuration

    // Starts (or restarts, on the same port) and waits until it listens.
    bool start()
    {
        const QString pw = dir.filePath(QStringLiteral("passwords"));
        if (!QFile::exists(pw)
            && QProcess::execute(QStringLiteral("mosquitto_passwd"),
                                 {QStringLiteral("-c"), QStringLiteral("-b"), pw, User, Password})
                != 0)
            return false;
        // Started as root, mosquitto reads its files as the user it drops to.
        QFile::setPermissions(
            dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        QFile::setPermissions(pw, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        const QString conf = dir.filePath(QStringLiteral("mosquitto.conf"));
        writeFile(conf,
                  QStringLiteral("listener %1 127.0.0.1\nallow_anonymous false\npassword_file %2\npersistence false\n")
                          .arg(port)
                          .arg(pw)
                          .toUtf8()
                      + extraConfig);
        if (logFile.isEmpty())
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        else
            process.setStandardErrorFile(logFile, QIODevice::Append);
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(QStringLiteral("mosquitto"), {QStringLiteral("-c"), conf});
        if (!process.waitForStarted())
            return false;
        for (QDeadlineTimer d(5000); !d.hasExpired(); QThread::msleep(20))
            if (accepts(port))
                return true;
        return false;
    }
    void stop()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
    ~Broker() { stop(); }

    MqttConfig clientConfig(const QString &clientId) const
    {
        MqttConfig m;
        m.host = QStringLiteral("127.0.0.1");
        m.port = port;
        m.username = User;
        m.password = Password;
        m.clientId = clientId;
        return m;
    }
};

// Subscribes to everything and keeps every message it saw.
class Observer : public QObject {
public:
    struct Message {
        QString topic;
        QByteArray payload;
        bool retained;
        qint64 atNs;
    };
    QElapsedTimer clock;
    MqttClient client;
    QList<Message> seen;

    Observer(const Broker &broker, const QString &id)
        : client(broker.clientConfig(id), QStringLiteral("observer/%1/gone").arg(id))
    {
        clock.start();
        connect(&client, &MqttClient::connected, this, [this] { client.subscribe(QStringLiteral("#")); });
        connect(&client, &MqttClient::messageReceived, this, [this](const QString &t, const QByteArray &p, bool r) {
            seen.append({t, p, r, clock.nsecsElapsed()});
        });
        QString error;
        client.start(&error);
    }
    // The newest payload on topic, or "<none>".
    QByteArray last(const QString &topic) const
    {
        for (auto it = seen.crbegin(); it != seen.crend(); ++it)
            if (it->topic == topic)
                return it->payload;
        return "<none>";
    }
    bool saw(const QString &topic) const { return last(topic) != "<none>"; }
    // Every config seen under the discovery prefix that Home Assistant would
    // refuse, with its topic and what is wrong.
    QStringList discoveryFaults(const QString &prefix = QStringLiteral("homeassistant")) const
    {
        QStringList all;
        for (const Message &m : seen)
            if (m.topic.startsWith(prefix + u'/') && m.topic.endsWith(QLatin1String("/config")))
                for (const QString &f : DiscoverySchema::faults(prefix, m.topic, m.payload))
                    all << m.topic + QStringLiteral(": ") + f;
        return all;
    }
    // How many discovery configs it saw (a schema check over none proves nothing).
    int discoveryCount(const QString &prefix = QStringLiteral("homeassistant")) const
    {
        return int(std::count_if(seen.begin(), seen.end(), [&](const Message &m) {
            return m.topic.startsWith(prefix + u'/') && m.topic.endsWith(QLatin1String("/config"))
                && !m.payload.isEmpty();
        }));
    }
};

// What the bridge's test programs share: their broker, the bridge's password
// file and an observer of everything, started once per program.
struct BrokerRig {
    QTemporaryDir dir;
    Broker broker;
    QString passwordFile = dir.filePath(QStringLiteral("password"));
    std::unique_ptr<Observer> observer;

    bool start(const QString &observerId)
    {
        if (!broker.start())
            return false;
        writeFile(passwordFile, Password.toUtf8() + '\n');
        observer = std::make_unique<Observer>(broker, observerId);
        for (QDeadlineTimer d(10000); !d.hasExpired() && !observer->client.isConnected();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return observer->client.isConnected();
    }
};

// tavik-mqtt with a configuration written for it.
class BridgeProcess {
public:
    QProcess process;
    QString configPath;
    QByteArray errors; // standard error so far

    BridgeProcess(const QTemporaryDir &dir, const QByteArray &yaml, const QString &name = QStringLiteral("bridge.yaml"))
        : configPath(dir.filePath(name))
    {
        writeFile(configPath, yaml);
        QObject::connect(&process, &QProcess::readyReadStandardError,
                         [this] { errors += process.readAllStandardError(); });
    }
    void start(const QStringList &extra = {})
    {
        process.start(QStringLiteral(TAVIK_MQTT), QStringList {QStringLiteral("--config"), configPath} + extra);
        process.waitForStarted();
    }
    void kill(int signal)
    {
        ::kill(pid_t(process.processId()), signal);
        process.waitForFinished(5000);
    }
    ~BridgeProcess()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000))
                process.kill();
        }
    }
};

// The broker part of a bridge configuration.
inline QByteArray mqttSection(const Broker &broker, const QString &passwordFile,
                              const QString &clientId = QStringLiteral("tavik-test"),
                              const QString &baseTopic = QStringLiteral("tavik"))
{
    return QStringLiteral(
               "mqtt:\n  host: 127.0.0.1\n  port: %1\n  username: %2\n  password_file: %3\n  client_id: %4\n  base_topic: %5\n")
        .arg(broker.port)
        .arg(User, passwordFile, clientId, baseTopic)
        .toUtf8();
}

// ---- Connection faults: a paused broker, listeners that never answer, TLS.

// SIGSTOP and SIGCONT: a broker that stops answering without closing anything.
inline void pause(QProcess &process)
{
    ::kill(pid_t(process.processId()), SIGSTOP);
}
inline void resume(QProcess &process)
{
    ::kill(pid_t(process.processId()), SIGCONT);
}

// A loopback port that listens and never accepts.  With room in its backlog
// the TCP connect succeeds and no MQTT answer ever comes; with a full one
// (fillBacklog) the SYNs of further connects are dropped and they hang.
class SilentListener {
public:
    int port = 0;

    // On a free port, or on the given one (a broker's, while it is away).
    explicit SilentListener(bool fillBacklog = false, int onPort = 0)
    {
        m_fd = ::socket(AF_INET, SOCK_STREAM, 0);
        const int yes = 1;
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(quint16(onPort));
        socklen_t len = sizeof a;
        ::bind(m_fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
        ::listen(m_fd, fillBacklog ? 0 : 16);
        ::getsockname(m_fd, reinterpret_cast<sockaddr *>(&a), &len);
        port = ntohs(a.sin_port);
        for (int i = 0; fillBacklog && i < 2; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            ::connect(fd, reinterpret_cast<sockaddr *>(&a), sizeof a);
            m_fillers.append(fd);
        }
    }
    ~SilentListener()
    {
        for (int fd : std::as_const(m_fillers))
            ::close(fd);
        ::close(m_fd);
    }

private:
    int m_fd = -1;
    QList<int> m_fillers;
};

// Certificates made with openssl in dir: ca and otherca (authorities);
// server (127.0.0.1 and localhost), elsewhere (another host name) and
// expired (127.0.0.1, expired in 2020), all from ca; client, a client
// certificate from ca.  Each NAME.crt with its NAME.key.
inline bool makeCertificates(const QString &dir)
{
    static const char script[] = R"(set -e
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:prime256v1 -out "$1.key"; }
authority() { key "$1"; openssl req -x509 -new -key "$1.key" -subj "/CN=$1" -days 30 -out "$1.crt"; }
cert() {
  key "$1"
  openssl req -new -key "$1.key" -subj "/CN=$1" -addext "subjectAltName=$3" -out "$1.csr"
  : > index.txt; echo 01 > serial
  printf '[ca]\ndefault_ca=d\n[d]\ndatabase=index.txt\nnew_certs_dir=.\nserial=serial\ndefault_md=sha256\npolicy=p\ncopy_extensions=copy\ndefault_days=30\n[p]\ncommonName=supplied\n' > ca.cnf
  openssl ca -batch -notext -config ca.cnf -cert "$2.crt" -keyfile "$2.key" -in "$1.csr" -out "$1.crt" $4
}
authority ca; authority otherca
cert server ca "IP:127.0.0.1,DNS:localhost"
cert elsewhere ca "DNS:elsewhere.invalid"
cert expired ca "IP:127.0.0.1" "-startdate 20200101000000Z -enddate 20200201000000Z"
cert client ca "DNS:client"
chmod 644 ./*.key
)";
    QProcess sh;
    sh.setWorkingDirectory(dir);
    sh.setProcessChannelMode(QProcess::MergedChannels);
    sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), QString::fromLatin1(script)});
    if (sh.waitForFinished(60000) && sh.exitCode() == 0)
        return true;
    qWarning("%s", sh.readAll().constData());
    return false;
}

// A TLS listener for mosquitto's configuration, with dir's certificate name.
inline QByteArray tlsListener(int port, const QString &dir, const QString &name, bool requireClientCertificate = false)
{
    return QStringLiteral("listener %1 127.0.0.1\ncafile %2/ca.crt\ncertfile %2/%3.crt\nkeyfile %2/%3.key\n"
                          "require_certificate %4\n")
        .arg(port)
        .arg(dir, name, requireClientCertificate ? u"true"_qs : u"false"_qs)
        .toUtf8();
}

} // namespace BrokerKit
