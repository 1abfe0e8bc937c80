#pragma once

#include <curl/curl.h>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "monitor/report/mail/MailOptions.h"
#include "monitor/report/mail/MailServerAddress.h"

namespace kestrove {

struct CurlEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct CurlListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct CurlMimeDeleter {
    void operator()(curl_mime* mime) const { curl_mime_free(mime); }
};

// A curl string list that frees itself.
class CurlList {
public:
    void Append(const std::string& item) {
        // curl appends in place and returns the head; null (out of memory) leaves the list.
        curl_slist* head = curl_slist_append(list_.get(), item.c_str());
        if (head != nullptr && !list_) {
            list_.reset(head);
        }
    }
    curl_slist* Get() const { return list_.get(); }

private:
    std::unique_ptr<curl_slist, CurlListDeleter> list_;
};

using CurlMime = std::unique_ptr<curl_mime, CurlMimeDeleter>;

// One easy handle set up for a mail exchange: timeouts, trusted certificates, the allowed
// protocols, and a record of the server's last reply line so a failure can be told in words.
class CurlSession {
public:
    // `protocols` as curl's protocol list, e.g. "smtp,smtps".
    CurlSession(const MailOptions& options, const char* protocols);
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    CURL* Handle() const { return easy_.get(); }
    // False only when curl could not even make a handle.
    bool Valid() const { return easy_ != nullptr; }
    CURLcode Perform();

    // Upgrades a plain connection by STARTTLS/STLS. With `required` (credentials go out, or the
    // user asked for TLS always) the upgrade is required: curl then stops before any password
    // or mail goes out when the server offers none (an attacker on the path can strip the
    // offer). Without, it is taken when offered. Implicit TLS needs none.
    void RequireTlsFor(const MailServerAddress& server, bool required);

    bool Connected() const;

    // One line for the alarm log: what failed at `where`, with the server's reply or curl's
    // own detail; `secret` (the password) is masked should it ever appear.
    std::string Describe(CURLcode code, std::string_view where, std::string_view secret) const;

private:
    static int OnProgress(void* abort, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static int OnDebug(CURL* easy, curl_infotype type, char* data, size_t size, void* self);
    std::string_view WhatFailed(CURLcode code) const;

    std::unique_ptr<CURL, CurlEasyDeleter> easy_;
    std::array<char, CURL_ERROR_SIZE> error_{};
    std::string lastReply_;  // the server's last line (never ours), without its line end
    // The server's last refusal ("5xx …", "4xx …" or "-ERR …"): curl says QUIT after a failure,
    // so the last line is often only the goodbye.
    std::string lastRefusal_;
};

// Joins "what（where）：detail" into one log-safe line with `secret` masked.
std::string MailErrorText(std::string_view what, std::string_view where, std::string_view detail,
                          std::string_view secret);

}  // namespace kestrove
