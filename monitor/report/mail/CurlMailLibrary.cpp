#include "monitor/report/mail/CurlMailLibrary.h"

#include <optional>
#include <string>

#include "common/FileBytes.h"
#include "common/Utf8Path.h"
#include "monitor/report/mail/CurlSession.h"
#include "monitor/report/mail/MailHeaders.h"
#include "monitor/report/mail/MailServerAddress.h"
#include "monitor/report/mail/MailTexts.h"
#include "monitor/report/mail/Pop3PlainLogin.h"

namespace kestrove {
namespace {

// The option word before a RcvMail password that asks for a plain USER/PASS login.
constexpr std::string_view kPlainLoginWord = "a ";
// Far above any report of a period; a file this big is no report of ours.
constexpr std::size_t kMaxAttachmentBytes = std::size_t{256} << 20;

struct SenderArgument {
    std::string address;
    std::string user;
    std::string password;
};

// "address" or "address<TAB>user:password".
SenderArgument ParseSender(std::string_view sender) {
    SenderArgument out;
    std::size_t tab = sender.find('\t');
    out.address = StripControlCharacters(sender.substr(0, tab));
    if (tab != std::string_view::npos) {
        std::string_view credentials = sender.substr(tab + 1);
        std::size_t colon = credentials.find(':');
        out.user = credentials.substr(0, colon);
        if (colon != std::string_view::npos) {
            out.password = credentials.substr(colon + 1);
        }
    }
    return out;
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

bool HasLineBreakOrNul(std::string_view text) {
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Read here, once, without following a symlink: a link planted in the report folder must not
// make the mail carry whatever file of the user's it points at.
std::optional<std::string> ReadAttachment(const std::filesystem::path& path) {
    FileReadResult read = ReadFileBytesNoFollow(path, kMaxAttachmentBytes);
    if (read.status != FileReadStatus::Ok) {
        return std::nullopt;
    }
    return std::move(read.bytes);
}

void AddHeaders(CurlList& headers, const SenderArgument& sender,
                const std::vector<std::string>& recipients, std::string_view subject) {
    headers.Append(DateHeader(std::chrono::system_clock::now()));
    headers.Append("From: " + sender.address);
    headers.Append(ToHeader(recipients));
    if (!StripControlCharacters(subject).empty()) {
        headers.Append(SubjectHeader(subject));
    }
}

CurlMime BuildMessage(CURL* h, std::string_view body, const std::filesystem::path& attachment,
                      const std::string& attachmentBytes) {
    CurlMime mime(curl_mime_init(h));
    curl_mimepart* text = curl_mime_addpart(mime.get());
    curl_mime_data(text, body.data(), body.size());
    curl_mime_type(text, "text/plain; charset=UTF-8");
    // Base64 keeps the Japanese body intact through servers without 8BITMIME.
    curl_mime_encoder(text, "base64");
    if (!attachment.empty()) {
        curl_mimepart* file = curl_mime_addpart(mime.get());
        curl_mime_data(file, attachmentBytes.data(), attachmentBytes.size());
        curl_mime_filename(file, AttachmentName(attachment).c_str());
        curl_mime_type(file, AttachmentType(attachment).c_str());
        curl_mime_encoder(file, "base64");
    }
    return mime;
}

}  // namespace

std::string CurlMailLibrary::SendMail(std::string_view server, std::string_view recipients,
                                      std::string_view sender, std::string_view subject,
                                      std::string_view body, std::string_view attachment) {
    if (cutter_.Flag()) {
        return std::string(mailtext::kAborted);
    }
    if (IsBlank(server)) {
        return std::string(mailtext::kNoServer);
    }
    auto address = ParseMailServer(server, MailProtocol::Smtp);
    if (!address) {
        return MailErrorText(mailtext::kBadServer, StripControlCharacters(server), {}, {});
    }
    std::vector<std::string> to = SplitRecipients(recipients);
    if (to.empty()) {
        return std::string(mailtext::kNoRecipient);
    }
    SenderArgument from = ParseSender(sender);
    std::string envelopeFrom = EnvelopeAddress(from.address);
    if (envelopeFrom.empty()) {
        return std::string(mailtext::kNoSender);
    }
    std::filesystem::path file = PathFromUtf8(attachment);
    std::string attachmentBytes;
    if (!file.empty()) {
        std::optional<std::string> bytes = ReadAttachment(file);
        if (!bytes) {
            return MailErrorText(mailtext::kAttachmentUnreadable,
                                 StripControlCharacters(attachment), {}, from.password);
        }
        attachmentBytes = std::move(*bytes);
    }

    CurlSession session(options_, "smtp,smtps");
    CURL* h = session.Handle();
    CurlList rcpt;
    CurlList headers;
    CurlMime mime;
    if (h != nullptr) {
        curl_easy_setopt(h, CURLOPT_URL, address->Url().c_str());
        session.RequireTlsFor(*address, !from.user.empty() || requireTls_);
        if (!from.user.empty()) {
            curl_easy_setopt(h, CURLOPT_USERNAME, from.user.c_str());
            curl_easy_setopt(h, CURLOPT_PASSWORD, from.password.c_str());
            curl_easy_setopt(h, CURLOPT_LOGIN_OPTIONS, "AUTH=PLAIN;AUTH=LOGIN");
        }
        curl_easy_setopt(h, CURLOPT_MAIL_FROM, envelopeFrom.c_str());
        for (const std::string& recipient : to) {
            rcpt.Append(EnvelopeAddress(recipient));
        }
        curl_easy_setopt(h, CURLOPT_MAIL_RCPT, rcpt.Get());
        AddHeaders(headers, from, to, subject);
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.Get());
        mime = BuildMessage(h, body, file, attachmentBytes);
        curl_easy_setopt(h, CURLOPT_MIMEPOST, mime.get());
    }
    CURLcode rc = session.Perform();
    return rc == CURLE_OK ? std::string()
                          : session.Describe(rc, address->HostPort(), from.password);
}

std::string CurlMailLibrary::RcvMail(std::string_view popServer, std::string_view user,
                                     std::string_view password, std::string_view command,
                                     std::string_view /*folder*/) {
    if (cutter_.Flag()) {
        return std::string(mailtext::kAborted);
    }
    if (IsBlank(popServer)) {
        return std::string(mailtext::kNoPopServer);
    }
    auto address = ParseMailServer(popServer, MailProtocol::Pop3);
    if (!address) {
        return MailErrorText(mailtext::kBadServer, StripControlCharacters(popServer), {}, {});
    }
    bool plainLogin = password.substr(0, kPlainLoginWord.size()) == kPlainLoginWord;
    if (plainLogin) {
        password.remove_prefix(kPlainLoginWord.size());
    }
    if (user.empty()) {
        return std::string(mailtext::kNoUser);
    }
    // Both travel inside POP3 command lines: a line break would start a command of its own.
    if (HasLineBreakOrNul(user) || HasLineBreakOrNul(password)) {
        return std::string(mailtext::kBadCredentials);
    }
    std::string cleanCommand = StripControlCharacters(command);
    if (cleanCommand.empty()) {
        cleanCommand = "NOOP";
    }
    if (plainLogin) {
        return Pop3PlainLogin(options_, *address, user, password, cleanCommand);
    }

    CurlSession session(options_, "pop3,pop3s");
    CURL* h = session.Handle();
    std::string userText(user);
    std::string passwordText(password);
    if (h != nullptr) {
        curl_easy_setopt(h, CURLOPT_URL, address->Url().c_str());
        session.RequireTlsFor(*address, true);
        curl_easy_setopt(h, CURLOPT_USERNAME, userText.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, passwordText.c_str());
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, cleanCommand.c_str());
        // The command's reply is a single line: without this curl waits for a "." line.
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    }
    CURLcode rc = session.Perform();
    return rc == CURLE_OK ? std::string() : session.Describe(rc, address->HostPort(), password);
}

std::unique_ptr<MailLibrary> CreateMailLibrary() {
    return std::make_unique<CurlMailLibrary>();
}

}  // namespace kestrove
