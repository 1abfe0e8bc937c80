#include "monitor/report/mail/CurlSession.h"

#include <mutex>

#include "common/Utf8Path.h"
#include "monitor/report/mail/MailHeaders.h"
#include "monitor/report/mail/MailTexts.h"
#include "monitor/report/mail/SocketCutter.h"

namespace kestrove {
namespace {

void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string MaskSecret(std::string text, std::string_view secret) {
    if (secret.empty()) {
        return text;
    }
    for (std::size_t pos = text.find(secret); pos != std::string::npos;
         pos = text.find(secret, pos)) {
        text.replace(pos, secret.size(), "****");
        pos += 4;
    }
    return text;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string MailErrorText(std::string_view what, std::string_view where, std::string_view detail,
                          std::string_view secret) {
    std::string text(what);
    if (!where.empty()) {
        text += "（" + std::string(where) + "）";
    }
    std::string cleanDetail = StripControlCharacters(detail);
    if (!cleanDetail.empty()) {
        text += "：" + cleanDetail;
    }
    return MaskSecret(std::move(text), secret);
}

CurlSession::CurlSession(const MailOptions& options, const char* protocols) {
    InitCurlOnce();
    easy_.reset(curl_easy_init());
    if (!easy_) {
        return;
    }
    CURL* h = easy_.get();
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, protocols);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options.connectTimeout.count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(options.totalTimeout.count()));
    if (!options.caFile.empty()) {
        curl_easy_setopt(h, CURLOPT_CAINFO, PathToUtf8(options.caFile).c_str());
    }
    // Schannel checks revocation and, by default, refuses a certificate whose status it cannot
    // learn: every certificate of an office's own CA without a CRL, or one whose CRL is out of
    // reach. Best effort still refuses a certificate known to be revoked. Other TLS libraries
    // ignore the flag (OpenSSL in curl checks no revocation without a CRL file).
    curl_easy_setopt(h, CURLOPT_SSL_OPTIONS, static_cast<long>(CURLSSLOPT_REVOKE_BEST_EFFORT));
    if (options.abort != nullptr) {
        // curl calls this at least once a second while it transfers or connects; where it
        // waits for a reply without calling back, the cutter below ends the wait.
        curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &CurlSession::OnProgress);
        curl_easy_setopt(h, CURLOPT_XFERINFODATA, options.abort);
    }
    if (options.cutter != nullptr) {
        curl_easy_setopt(h, CURLOPT_SOCKOPTFUNCTION, &SocketCutter::OnOpened);
        curl_easy_setopt(h, CURLOPT_SOCKOPTDATA, options.cutter);
        curl_easy_setopt(h, CURLOPT_CLOSESOCKETFUNCTION, &SocketCutter::OnClose);
        curl_easy_setopt(h, CURLOPT_CLOSESOCKETDATA, options.cutter);
    }
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, error_.data());
    // The debug hook is curl's only way to hand over the server's reply texts.
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, &CurlSession::OnDebug);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, this);
}

int CurlSession::OnProgress(void* abort, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::atomic<bool>*>(abort)->load() ? 1 : 0;
}

int CurlSession::OnDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    if (type != CURLINFO_HEADER_IN) {
        return 0;
    }
    auto* session = static_cast<CurlSession*>(self);
    std::string line = StripControlCharacters(std::string_view(data, size));
    if (line.empty()) {
        return 0;
    }
    if (line[0] == '4' || line[0] == '5' || StartsWith(line, "-ERR")) {
        session->lastRefusal_ = line;
    }
    session->lastReply_ = std::move(line);
    return 0;
}

CURLcode CurlSession::Perform() {
    if (!easy_) {
        return CURLE_FAILED_INIT;
    }
    error_[0] = '\0';
    return curl_easy_perform(easy_.get());
}

void CurlSession::RequireTlsFor(const MailServerAddress& server, bool required) {
    if (easy_ && !server.ImplicitTls()) {
        long level = required ? CURLUSESSL_ALL : CURLUSESSL_TRY;
        curl_easy_setopt(easy_.get(), CURLOPT_USE_SSL, level);
    }
}

bool CurlSession::Connected() const {
    curl_off_t connectTime = 0;
    if (easy_) {
        curl_easy_getinfo(easy_.get(), CURLINFO_CONNECT_TIME_T, &connectTime);
    }
    return connectTime > 0 || !lastReply_.empty();
}

std::string_view CurlSession::WhatFailed(CURLcode code) const {
    using namespace mailtext;
    std::string_view error = error_.data();
    long reply = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_RESPONSE_CODE, &reply);
    switch (code) {
        case CURLE_COULDNT_RESOLVE_HOST:
            return kResolveFailed;
        case CURLE_COULDNT_CONNECT:
            return kConnectFailed;
        case CURLE_OPERATION_TIMEDOUT:
            return Connected() ? kReplyTimeout : kConnectTimeout;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
            return kCertificateFailed;
        case CURLE_USE_SSL_FAILED:
            return kNoEncryption;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
            return kTlsFailed;
        case CURLE_LOGIN_DENIED:
            return kAuthFailed;
        case CURLE_READ_ERROR:
            return kAttachmentUnreadable;
        case CURLE_QUOTE_ERROR:
            return kCommandRefused;
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
            return kServerClosed;
        case CURLE_SEND_ERROR:
        case CURLE_WEIRD_SERVER_REPLY:
            if (StartsWith(error, "MAIL failed")) {
                return kSenderRefused;
            }
            if (StartsWith(error, "RCPT failed")) {
                return kRecipientRefused;
            }
            if (reply >= 400) {
                return kMessageRefused;
            }
            return code == CURLE_SEND_ERROR ? kServerClosed : kUnexpectedReply;
        default:
            return kSendFailed;
    }
}

std::string CurlSession::Describe(CURLcode code, std::string_view where,
                                  std::string_view secret) const {
    if (!easy_) {
        return MailErrorText(mailtext::kSendFailed, where, curl_easy_strerror(code), secret);
    }
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        return MailErrorText(mailtext::kAborted, where, {}, secret);
    }
    // A refusal is best explained by the server's own words; anything else by curl's.
    bool refused = code == CURLE_LOGIN_DENIED || code == CURLE_SEND_ERROR ||
                   code == CURLE_WEIRD_SERVER_REPLY || code == CURLE_QUOTE_ERROR ||
                   code == CURLE_USE_SSL_FAILED;
    std::string detail = refused && !lastRefusal_.empty() ? lastRefusal_ : error_.data();
    if (detail.empty()) {
        detail = curl_easy_strerror(code);
    }
    return MailErrorText(WhatFailed(code), where, detail, secret);
}

}  // namespace kestrove
