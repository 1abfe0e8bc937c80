#include "ZipReader.h"

#include <zip.h>

#include <memory>

#include "common/Utf8Path.h"

namespace kestrove::test {
namespace {

struct Discard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct Close {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

std::unique_ptr<zip_t, Discard> Open(const std::filesystem::path& path) {
    int error = 0;
    return std::unique_ptr<zip_t, Discard>(zip_open(PathToUtf8(path).c_str(), ZIP_RDONLY, &error));
}

}  // namespace

std::optional<std::vector<ZipEntry>> ReadZip(const std::filesystem::path& path,
                                             const char* password) {
    auto archive = Open(path);
    if (!archive) {
        return std::nullopt;
    }
    std::vector<ZipEntry> entries;
    zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(count); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive.get(), i, 0, &stat);
        ZipEntry entry;
        entry.name = stat.name;
        entry.mtime = stat.mtime;
        entry.encrypted = stat.encryption_method != ZIP_EM_NONE;
        std::unique_ptr<zip_file_t, Close> file(
            zip_fopen_index_encrypted(archive.get(), i, 0, password));
        if (file) {
            entry.bytes.resize(stat.size);
            zip_int64_t n = zip_fread(file.get(), entry.bytes.data(), stat.size);
            entry.readable = n == static_cast<zip_int64_t>(stat.size);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::optional<std::string> ZipComment(const std::filesystem::path& path) {
    auto archive = Open(path);
    int length = 0;
    const char* comment =
        archive ? zip_get_archive_comment(archive.get(), &length, ZIP_FL_ENC_RAW) : nullptr;
    if (comment == nullptr) {
        return std::nullopt;
    }
    return std::string(comment, static_cast<std::size_t>(length));
}

std::vector<std::string> EntryNames(const std::vector<ZipEntry>& entries) {
    std::vector<std::string> names;
    for (const ZipEntry& entry : entries) {
        names.push_back(entry.name);
    }
    return names;
}

}  // namespace kestrove::test
