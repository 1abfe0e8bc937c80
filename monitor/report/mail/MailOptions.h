#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>

namespace kestrove {

class SocketCutter;

// Connection settings of the mail layer. The monitor's thread waits for every mail call, so
// both limits keep a dead or stalled server from freezing it for long.
struct MailOptions {
    // Up to a usable session: connection, greeting, TLS and login.
    std::chrono::milliseconds connectTimeout{std::chrono::seconds(15)};
    // The whole exchange, from connecting to the last reply.
    std::chrono::milliseconds totalTimeout{std::chrono::seconds(60)};
    // Certificates to trust instead of the system's store (a private CA, or a test's own
    // certificate); empty for the system's store.
    std::filesystem::path caFile;
    // Set from another thread to end an exchange under way within a fraction of a second;
    // none: every exchange runs to its end or its time limit.
    const std::atomic<bool>* abort = nullptr;
    // Cuts the exchanges' sockets with the abort, where curl waits without looking at it.
    SocketCutter* cutter = nullptr;
};

}  // namespace kestrove
