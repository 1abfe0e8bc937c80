#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace kestrove::fuzz {

// A broken promise is a crash, so libFuzzer keeps the input that showed it.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition)                                       \
    do {                                                            \
        if (!(condition)) {                                         \
            ::kestrove::fuzz::Fail(#condition, __FILE__, __LINE__); \
        }                                                           \
    } while (false)

inline std::string_view AsText(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process's own for the files a harness writes. It sits on a RAM disk when
// there is one (millions of runs each rewrite a file), or under TMPDIR when that is set, and
// goes when the process ends normally.
class ScratchFolder {
public:
    explicit ScratchFolder(std::string_view name) {
        std::filesystem::path base = "/dev/shm";
        if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp != '\0') {
            base = tmp;
        } else if (!std::filesystem::is_directory(base)) {
            base = std::filesystem::temp_directory_path();
        }
        std::string pattern = (base / ("kestrove-fuzz-" + std::string(name) + "-XXXXXX")).string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Replaces the file with exactly these bytes; any failure ends the run, since every check
// after it would be meaningless.
inline void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    FUZZ_CHECK(fd >= 0);
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        FUZZ_CHECK(n > 0);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    FUZZ_CHECK(::close(fd) == 0);
}

// Well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF), written out here so the
// checks do not lean on the converters they check.
inline bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        auto b = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        unsigned min = 0;
        unsigned code = 0;
        if (b < 0x80) {
            ++i;
            continue;
        } else if (b >= 0xC2 && b <= 0xDF) {
            length = 2, min = 0x80, code = b & 0x1Fu;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3, min = 0x800, code = b & 0x0Fu;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4, min = 0x10000, code = b & 0x07u;
        } else {
            return false;
        }
        if (text.size() - i < length) {
            return false;
        }
        for (std::size_t k = 1; k < length; ++k) {
            auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (c & 0x3Fu);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace kestrove::fuzz
