#pragma once

#include <string>
#include <vector>

#include "monitor/report/zip/ZipOptions.h"
#include "monitor/report/zip/cZipEvents.h"

namespace kestrove {

// Writes zip archives: collects the archive name, the file specs and the options, then `Zip`
// archives them in one go. A fresh object stores each file under its bare name, without folder
// entries and without recursion, and replaces an existing archive.
//
// Specs are paths or wildcard patterns ("*", "?", "[...]" in the file name). A relative file spec
// is taken relative to `BasePath` when that is set, else to the current folder; the process's
// current folder is never changed. The archive is written beside its final place and renamed
// over it, so a failed `Zip` leaves an existing archive as it was.
class cZip {
public:
    static constexpr int kMaxFileSpecs = 1022;
    static constexpr int kMaxCommentBytes = 255;
    static constexpr int kMaxPasswordBytes = 255;

    const std::string& ZipFile() const { return zipFile_; }
    void SetZipFile(std::string path) { zipFile_ = std::move(path); }

    // Relative specs are found below it, and entries keep their path relative to it.
    const std::string& BasePath() const { return options_.basePath; }
    void SetBasePath(std::string path) { options_.basePath = std::move(path); }

    // AES-256 with the password asked through `PasswordRequest`.
    bool Encrypt() const { return options_.encrypt; }
    void SetEncrypt(bool on) { options_.encrypt = on; }
    // The archive comment asked through `CommentRequest` (at most 255 bytes of UTF-8).
    bool AddComment() const { return options_.comment; }
    void SetAddComment(bool on) { options_.comment = on; }
    // Hidden files (names beginning with ".") matched by wildcards and found by recursion.
    bool IncludeSystemAndHiddenFiles() const { return options_.includeSystemAndHidden; }
    void SetIncludeSystemAndHiddenFiles(bool on) { options_.includeSystemAndHidden = on; }
    // Kept for the option set; volumes have no labels to store here.
    bool StoreVolumeLabel() const { return options_.volumeLabel; }
    void SetStoreVolumeLabel(bool on) { options_.volumeLabel = on; }
    // Entries for the folders of stored paths (only where folder names are stored).
    bool StoreDirectories() const { return !options_.noDirectoryEntries; }
    void SetStoreDirectories(bool on) { options_.noDirectoryEntries = !on; }
    // Entries keep their folder path relative to `BasePath` or to the file spec's folder.
    bool StoreFolderNames() const { return !options_.dropFolderNames; }
    void SetStoreFolderNames(bool on) { options_.dropFolderNames = !on; }
    // Wildcards match in the file spec's folder and every folder below it; a folder spec takes
    // everything below it.
    bool RecurseSubDirs() const { return options_.recursion == 2; }
    void SetRecurseSubDirs(bool on) { options_.recursion = on ? 2 : 0; }
    // Adds new files and replaces entries older than their file; keeps the other entries.
    bool UpdateOnlyIfNewer() const { return options_.update; }
    void SetUpdateOnlyIfNewer(bool on) { options_.update = on; }
    // Only replaces existing entries older than their file; adds nothing new.
    bool FreshenFiles() const { return options_.freshen; }
    void SetFreshenFiles(bool on) { options_.freshen = on; }
    // 0 verbose, 1 quiet (no progress), 2 normal; other values change nothing.
    int MessageLevel() const;
    void SetMessageLevel(int level);
    bool ConvertCRLFToLF() const { return options_.crlfToLf; }
    void SetConvertCRLFToLF(bool on) { options_.crlfToLf = on; }
    bool ConvertLFToCRLF() const { return options_.lfToCrlf; }
    void SetConvertLFToCRLF(bool on) { options_.lfToCrlf = on; }
    // Adds to an existing archive instead of replacing it.
    bool AllowAppend() const { return options_.append; }
    void SetAllowAppend(bool on) { options_.append = on; }

    // Specs are numbered from 1; an index outside 1..count gives "".
    int FileSpecCount() const { return static_cast<int>(specs_.size()); }
    std::string FileSpec(int index) const;
    void ClearFileSpecs() { specs_.clear(); }
    void AddFileSpec(std::string fileSpec) { specs_.push_back(std::move(fileSpec)); }

    // Archives the specs into `ZipFile`. More than 1022 specs are refused before anything is
    // touched.
    void Zip();
    // Removes the entries the specs name from `ZipFile`; `Success` keeps its value.
    void Delete();
    // True before the first `Zip` and after one that wrote its archive whole.
    bool Success() const { return result_ == ZipResult::Ok; }
    ZipResult Result() const { return result_; }

    // Not owned; null means no one listens.
    void SetEvents(cZipEvents* events) { events_ = events; }

private:
    std::string zipFile_;
    ZipOptions options_;
    std::vector<std::string> specs_;
    ZipResult result_ = ZipResult::Ok;
    cZipEvents* events_ = nullptr;
};

}  // namespace kestrove
