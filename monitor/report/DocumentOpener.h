#pragma once

#include <filesystem>

namespace kestrove {

// Opens a file in the user's default program (the report in the browser). Must return at once:
// the monitor goes on watching while the browser starts.
class DocumentOpener {
public:
    virtual ~DocumentOpener() = default;
    virtual void Open(const std::filesystem::path& path) = 0;
};

}  // namespace kestrove
