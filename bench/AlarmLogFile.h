#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/Cp932.h"
#include "testsupport/TempFolder.h"

namespace kestrove::bench {

// Writes about `megabytes` MB of alarm-log lines (CP932, CR LF) to `path`; returns its size.
inline std::uintmax_t WriteAlarmLogFile(const std::filesystem::path& path, int megabytes) {
    const std::string change = Utf8ToCp932("\tMACアドレスが変化しました\t(192.168.  1.  ");
    const std::string duplicate = Utf8ToCp932("\t同一MACアドレスが重複しています\t");
    const auto wanted = static_cast<std::uintmax_t>(megabytes) << 20;
    std::ofstream out(path, std::ios::binary);
    std::uintmax_t bytes = 0;
    std::string chunk;
    for (long i = 0; bytes < wanted; ++i) {
        std::string n = std::to_string(i % 250 + 1);
        chunk += "2007/05/05 14:03:" + std::to_string(10 + i % 50);
        if (i % 3 == 0) {
            chunk += duplicate + "00-11-22-33-44-55 (192.168.  1.  " + n + ")";
        } else {
            chunk += change + n + ":PC" + n + ") 00-11-22-33-44-55 -> 66-77-88-99-AA-BB";
        }
        chunk += "\r\n";
        if (chunk.size() > (1 << 20) || bytes + chunk.size() >= wanted) {
            bytes += chunk.size();
            out << chunk;
            chunk.clear();
        }
    }
    return bytes;
}

struct AlarmLogFile {
    test::TempFolder folder;
    std::filesystem::path path = folder / "alart.log";
    std::uintmax_t bytes = 0;
};

// One log of about `megabytes` MB for the whole run, made at the first call.
inline const AlarmLogFile& SharedAlarmLog(int megabytes) {
    static std::unique_ptr<AlarmLogFile> log;
    if (!log) {
        log = std::make_unique<AlarmLogFile>();
        log->bytes = WriteAlarmLogFile(log->path, megabytes);
    }
    return *log;
}

}  // namespace kestrove::bench
