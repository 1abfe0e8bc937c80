#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace kestrove {

// Runs `lookUp` on a worker thread of its own and waits for it at most `timeout`: the system's
// name lookups cannot be interrupted, and a slow name server (or one an attacker answers late
// on purpose) would otherwise freeze the caller for as long as it likes. No answer in time, or
// no thread to spare, counts as no name; a worker that answers later only drops its answer, so
// `lookUp` must own everything it touches.
std::optional<std::string> LookUpWithin(std::chrono::milliseconds timeout,
                                        std::function<std::optional<std::string>()> lookUp);

}  // namespace kestrove
