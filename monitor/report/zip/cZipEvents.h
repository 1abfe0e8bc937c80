#pragma once

#include <string>
#include <string_view>

namespace kestrove {

// What a `cZip` asks and tells while it writes an archive. Every answer defaults to "go on"
// with nothing given, so a user overrides only the events it handles.
class cZipEvents {
public:
    virtual ~cZipEvents() = default;

    // Before each file: setting `cancel` stops the whole operation.
    virtual void Cancel(std::string_view /*message*/, bool& /*cancel*/) {}
    // The password for encrypted entries, asked twice: once with `confirm` false and once more
    // with `confirm` true to confirm it. An empty answer or `cancel` stops the operation.
    virtual void PasswordRequest(std::string& /*password*/, int /*maxLength*/, bool /*confirm*/,
                                 bool& /*cancel*/) {}
    // The archive comment. An empty answer or `cancel` stops the operation.
    virtual void CommentRequest(std::string& /*comment*/, bool& /*cancel*/) {}
    // One line per file ("adding: name" and the like); `count` is always 1.
    virtual void Progress(int /*count*/, std::string_view /*message*/) {}
};

}  // namespace kestrove
