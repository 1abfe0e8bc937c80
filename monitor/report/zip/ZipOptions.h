#pragma once

#include <string>

namespace kestrove {

// The options of one archive operation, as `cZip` keeps them. Some flags are stored inverted
// ("no directory entries", "drop folder names"), as the properties describe them.
struct ZipOptions {
    std::string basePath;
    bool encrypt = false;
    bool includeSystemAndHidden = false;
    bool volumeLabel = false;
    bool noDirectoryEntries = true;
    bool verbose = false;
    bool quiet = false;
    bool crlfToLf = false;
    bool lfToCrlf = false;
    bool dropFolderNames = true;
    bool append = false;
    bool deleteEntries = false;
    bool update = false;
    bool freshen = false;
    bool comment = false;
    int recursion = 0;  // 0 or 2
};

// Results of an archive operation; 0 is success.
enum class ZipResult : int {
    Ok = 0,
    NothingToDo = 12,
    NameNotMatched = 13,
    Cancelled = 14,
    OpenFailed = 15,
    ReadFailed = 16,
    WriteFailed = 17,
    TooManySpecs = 18,
    PasswordMismatch = 19,
};

}  // namespace kestrove
