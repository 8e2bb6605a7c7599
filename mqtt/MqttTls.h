// TLS for the MQTT client: our own OpenSSL context, so that the files are
// checked once at the start (a certificate that expired, a key that does not
// belong to it) and a failed handshake can say which check failed, where
// libmosquitto alone reports only "A TLS error occurred".
#pragma once

#include "Config.h"

#include <QString>
#include <QStringList>

#include <memory>

typedef struct ssl_ctx_st SSL_CTX;

// What went wrong in the handshake, filled in the client's own thread.
struct TlsTrouble {
    int verifyError = 0; // X509_V_ERR_* of the broker's certificate, 0 = none
    QStringList libraryErrors; // OpenSSL's messages as libmosquitto logs them
};

struct TlsContextDeleter {
    void operator()(SSL_CTX *context) const;
};
using TlsContext = std::unique_ptr<SSL_CTX, TlsContextDeleter>;

// A context that verifies the broker against ca_file (or the system's CAs)
// and its host name, with the client certificate if one is configured;
// empty with the reason in error when the files cannot be used.  Failures
// of the broker's certificate are noted in *trouble.
TlsContext makeTlsContext(const MqttConfig &config, TlsTrouble *trouble, QString *error);

// The reason a TLS connection failed, or empty when nothing points at TLS.
QString describeTlsTrouble(const TlsTrouble &trouble, const MqttConfig &config);
