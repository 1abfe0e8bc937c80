#pragma once

#include <filesystem>
#include <initializer_list>
#include <vector>

#include "common/FileTrust.h"

namespace kestrove {

// A file another user could have written, moved out of the way before anything read it.
struct SetAsideFile {
    std::filesystem::path file;
    std::filesystem::path movedTo;  // "<name>.bad", as a damaged hosts.dat is set aside
    FileTrust why = FileTrust::Trusted;
    bool moved = false;  // false: it could not be moved and stays where it is
};

// Sets aside each existing file of `files` that this user alone cannot have written: a
// setting.ini or hosts.dat put there by another user (or replaceable by one) must not decide
// what the watch trusts. Call before the files are first read.
std::vector<SetAsideFile> SetAsideUntrusted(std::initializer_list<std::filesystem::path> files);

}  // namespace kestrove
