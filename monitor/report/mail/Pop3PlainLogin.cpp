#include "monitor/report/mail/Pop3PlainLogin.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>

#include "common/TakeLine.h"
#include "monitor/report/mail/CurlSession.h"
#include "monitor/report/mail/MailTexts.h"
#include "monitor/report/mail/SocketWait.h"

namespace kestrove {
namespace {

using SteadyClock = std::chrono::steady_clock;

enum class ChannelError { None, Timeout, Closed, Aborted };

// How long one wait lasts at most before the abort flag (if any) is looked at again.
constexpr std::chrono::milliseconds kAbortCheck{100};

// Line-wise talk over the connection curl set up, bounded by one deadline for the whole talk.
class Pop3Channel {
public:
    Pop3Channel(CURL* easy, curl_socket_t socket, SteadyClock::time_point deadline,
                const std::atomic<bool>* abort)
        : easy_(easy), socket_(socket), deadline_(deadline), abort_(abort) {}

    bool SendLine(const std::string& line) {
        std::string data = line + "\r\n";
        std::size_t sent = 0;
        while (sent < data.size()) {
            std::size_t n = 0;
            CURLcode rc = curl_easy_send(easy_, data.data() + sent, data.size() - sent, &n);
            if (rc == CURLE_AGAIN) {
                if (!Wait(SocketEvent::Writable)) {
                    return false;
                }
                continue;
            }
            if (rc != CURLE_OK) {
                error_ = ChannelError::Closed;
                return false;
            }
            sent += n;
        }
        return true;
    }

    std::optional<std::string> ReadLine() {
        for (;;) {
            if (std::optional<std::string> line = TakeLine(buffer_)) {
                return line;
            }
            char chunk[1024];
            std::size_t n = 0;
            CURLcode rc = curl_easy_recv(easy_, chunk, sizeof chunk, &n);
            if (rc == CURLE_AGAIN) {
                if (!Wait(SocketEvent::Readable)) {
                    return std::nullopt;
                }
                continue;
            }
            if (rc != CURLE_OK || n == 0) {
                error_ = ChannelError::Closed;
                return std::nullopt;
            }
            buffer_.append(chunk, n);
        }
    }

    ChannelError Error() const { return error_; }

private:
    bool Wait(SocketEvent event) {
        for (;;) {
            if (abort_ != nullptr && abort_->load()) {
                error_ = ChannelError::Aborted;
                return false;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ -
                                                                              SteadyClock::now());
            if (left.count() <= 0) {
                error_ = ChannelError::Timeout;
                return false;
            }
            if (WaitForSocket(socket_, event, std::min(left, kAbortCheck))) {
                return true;  // an error or hang-up shows at the next send or receive
            }
        }
    }

    CURL* easy_;
    curl_socket_t socket_;
    SteadyClock::time_point deadline_;
    const std::atomic<bool>* abort_;
    std::string buffer_;
    ChannelError error_ = ChannelError::None;
};

struct Step {
    std::string line;
    std::string_view whenRefused;
};

}  // namespace

std::string Pop3PlainLogin(const MailOptions& options, const MailServerAddress& server,
                           std::string_view user, std::string_view password,
                           std::string_view command) {
    auto deadline = SteadyClock::now() + options.totalTimeout;
    std::string where = server.HostPort();
    CurlSession session(options, "pop3,pop3s");
    CURL* h = session.Handle();
    if (h != nullptr) {
        curl_easy_setopt(h, CURLOPT_URL, server.Url().c_str());
        // PASS follows in our own dialogue, so STLS must have been done before it.
        session.RequireTlsFor(server, true);
        // Connect, greeting and STLS only: without a user name curl logs in to nothing.
        curl_easy_setopt(h, CURLOPT_CONNECT_ONLY, 1L);
    }
    CURLcode rc = session.Perform();
    if (rc != CURLE_OK) {
        return session.Describe(rc, where, password);
    }
    curl_socket_t socket = CURL_SOCKET_BAD;
    curl_easy_getinfo(h, CURLINFO_ACTIVESOCKET, &socket);

    Pop3Channel channel(h, socket, deadline, options.abort);
    const Step steps[] = {
        {"USER " + std::string(user), mailtext::kAuthFailed},
        {"PASS " + std::string(password), mailtext::kAuthFailed},
        {std::string(command), mailtext::kCommandRefused},
        {"QUIT", {}},
    };
    for (const Step& step : steps) {
        std::optional<std::string> reply;
        if (channel.SendLine(step.line)) {
            reply = channel.ReadLine();
        }
        if (!reply) {
            if (step.whenRefused.empty()) {
                break;  // a server that hangs up on QUIT has done all we need
            }
            auto what = channel.Error() == ChannelError::Timeout   ? mailtext::kReplyTimeout
                        : channel.Error() == ChannelError::Aborted ? mailtext::kAborted
                                                                   : mailtext::kServerClosed;
            return MailErrorText(what, where, {}, password);
        }
        if (reply->rfind("+OK", 0) != 0 && !step.whenRefused.empty()) {
            return MailErrorText(step.whenRefused, where, *reply, password);
        }
    }
    return {};
}

}  // namespace kestrove
