#include "MqttTls.h"

#include "MqttText.h"

#include <QFile>

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

QString openSslError()
{
    char text[256] = {};
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    if (!code)
        return QStringLiteral("?");
    ERR_error_string_n(code, text, sizeof text);
    // "error:0A080002:SSL routines::system lib": the words after the codes.
    return QString::fromUtf8(text).section(u':', -1).trimmed();
}

// Why the file under key cannot be used: unreadable, or OpenSSL's reason.
QString fileError(const char *key, const QString &path)
{
    QFile file(path);
    const QString why = file.open(QIODevice::ReadOnly) ? openSslError() : file.errorString();
    return mqttText(MqttText::MqttTlsBadFile).arg(QString::fromLatin1(key), path, why);
}

QString dateOf(const ASN1_TIME *time)
{
    tm when {};
    char text[32] = {};
    if (ASN1_TIME_to_tm(time, &when))
        std::strftime(text, sizeof text, "%Y-%m-%d", &when);
    return QString::fromLatin1(text);
}

int verifyPeer(int ok, X509_STORE_CTX *store)
{
    if (!ok) {
        const auto *ssl = static_cast<SSL *>(X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
        auto *trouble = ssl ? static_cast<TlsTrouble *>(SSL_CTX_get_app_data(SSL_get_SSL_CTX(ssl))) : nullptr;
        if (trouble && !trouble->verifyError)
            trouble->verifyError = X509_STORE_CTX_get_error(store);
    }
    return ok;
}

bool isAddress(const QByteArray &host)
{
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.constData(), buffer) == 1 || inet_pton(AF_INET6, host.constData(), buffer) == 1;
}

} // namespace

void TlsContextDeleter::operator()(SSL_CTX *context) const
{
    SSL_CTX_free(context);
}

TlsContext makeTlsContext(const MqttConfig &config, TlsTrouble *trouble, QString *error)
{
    ERR_clear_error();
    TlsContext context(SSL_CTX_new(TLS_client_method()));
    if (!context) {
        *error = mqttText(MqttText::MqttTlsSetup).arg(openSslError());
        return {};
    }
    SSL_CTX *c = context.get();
    SSL_CTX_set_min_proto_version(c, TLS1_2_VERSION);
    if (config.caFile.isEmpty()
            ? SSL_CTX_set_default_verify_paths(c) != 1
            : SSL_CTX_load_verify_locations(c, QFile::encodeName(config.caFile).constData(), nullptr) != 1) {
        *error = fileError("ca_file", config.caFile);
        return {};
    }
    if (!config.keyFile.isEmpty() && config.certFile.isEmpty()) {
        *error = mqttText(MqttText::MqttTlsKeyWithoutCert);
        return {};
    }
    if (!config.certFile.isEmpty()) {
        const QString keyFile = config.keyFile.isEmpty() ? config.certFile : config.keyFile;
        if (SSL_CTX_use_certificate_chain_file(c, QFile::encodeName(config.certFile).constData()) != 1) {
            *error = fileError("cert_file", config.certFile);
            return {};
        }
        const bool keyLoaded = SSL_CTX_use_PrivateKey_file(c, QFile::encodeName(keyFile).constData(), SSL_FILETYPE_PEM)
            == 1;
        if (!keyLoaded && ERR_GET_REASON(ERR_peek_last_error()) != X509_R_KEY_VALUES_MISMATCH) {
            *error = fileError("key_file", keyFile);
            return {};
        }
        if (!keyLoaded || SSL_CTX_check_private_key(c) != 1) {
            *error = mqttText(MqttText::MqttTlsKeyMismatch).arg(keyFile, config.certFile);
            return {};
        }
        // The broker would refuse it on every attempt: better said once, at the start.
        const X509 *own = SSL_CTX_get0_certificate(c);
        if (X509_cmp_current_time(X509_get0_notAfter(own)) < 0) {
            *error = mqttText(MqttText::MqttTlsOwnExpired).arg(config.certFile, dateOf(X509_get0_notAfter(own)));
            return {};
        }
        if (X509_cmp_current_time(X509_get0_notBefore(own)) > 0) {
            *error = mqttText(MqttText::MqttTlsOwnNotYetValid).arg(config.certFile, dateOf(X509_get0_notBefore(own)));
            return {};
        }
    }
    SSL_CTX_set_verify(c, SSL_VERIFY_PEER, &verifyPeer);
    const QByteArray host = config.host.toUtf8();
    X509_VERIFY_PARAM *param = SSL_CTX_get0_param(c);
    if (isAddress(host))
        X509_VERIFY_PARAM_set1_ip_asc(param, host.constData());
    else
        X509_VERIFY_PARAM_set1_host(param, host.constData(), 0);
    SSL_CTX_set_app_data(c, trouble);
    return context;
}

QString describeTlsTrouble(const TlsTrouble &trouble, const MqttConfig &config)
{
    switch (trouble.verifyError) {
    case 0: break;
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_CERT_UNTRUSTED:
        return mqttText(MqttText::MqttTlsUnknownCa)
            .arg(config.caFile.isEmpty() ? mqttText(MqttText::MqttTlsSystemCas) : config.caFile);
    case X509_V_ERR_CERT_HAS_EXPIRED: return mqttText(MqttText::MqttTlsExpired);
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH: return mqttText(MqttText::MqttTlsWrongHost).arg(config.host);
    default:
        return mqttText(MqttText::MqttTlsNotAccepted)
            .arg(QString::fromUtf8(X509_verify_cert_error_string(trouble.verifyError)));
    }
    if (trouble.libraryErrors.isEmpty())
        return {};
    // "OpenSSL Error[0]: error:0A00045C:SSL routines::tlsv13 alert certificate required"
    const QString last = trouble.libraryErrors.last().section(u':', -1).trimmed();
    const auto says = [&](const char *words) { return last.contains(QLatin1String(words)); };
    if (says("certificate required"))
        return mqttText(MqttText::MqttTlsClientCertRequired);
    if (says("alert") && !config.certFile.isEmpty())
        return mqttText(MqttText::MqttTlsClientCertRefused).arg(config.certFile, last);
    if (says("wrong version number") || says("unexpected eof") || says("packet length too long")
        || says("record layer failure"))
        return mqttText(MqttText::MqttTlsPlainPort).arg(config.host).arg(config.port).arg(last);
    return mqttText(MqttText::MqttTlsFailed).arg(last);
}
