#include "monitor/report/zip/ZipFileList.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <system_error>

#include "common/FileNameMatch.h"
#include "common/Utf8Path.h"

namespace kestrove {
namespace fs = std::filesystem;
namespace {

bool HasWildcard(std::string_view name) {
    return name.find_first_of("*?[") != std::string_view::npos;
}

std::string Trimmed(std::string_view text) {
    std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

// Relative specs are found below the base path instead of the current folder; the current
// folder itself is left alone.
// The base path as a path (empty when there is none), made through the one UTF-8 helper so a
// Japanese folder name stays whole on Windows.
fs::path BaseFolder(const ZipOptions& options) {
    return PathFromUtf8(Trimmed(options.basePath));
}

fs::path Resolve(const std::string& fileSpec, const ZipOptions& options) {
    fs::path path = PathFromUtf8(fileSpec);
    fs::path base = BaseFolder(options);
    return path.is_relative() && !base.empty() ? base / path : path;
}

bool IsHidden(const fs::path& path) {
    std::string name = PathToUtf8(path.filename());
    return !name.empty() && name.front() == '.';
}

bool NameMatches(const std::string& pattern, const fs::path& file, const ZipOptions& options) {
    return FileNameMatches(pattern, PathToUtf8(file.filename()), !options.includeSystemAndHidden);
}

// Files of `folder` (and below it, when recursing) whose names match `pattern`.
std::vector<fs::path> Match(const fs::path& folder, const std::string& pattern, bool recurse,
                            const ZipOptions& options) {
    std::vector<fs::path> files;
    std::error_code ec;
    auto mode = fs::directory_options::skip_permission_denied;
    for (fs::recursive_directory_iterator it(folder, mode, ec), end; !ec && it != end;
         it.increment(ec)) {
        bool folderEntry = it->is_directory(ec);
        if (folderEntry) {
            if (!recurse || (!options.includeSystemAndHidden && IsHidden(it->path()))) {
                it.disable_recursion_pending();
            }
        } else if (it->is_regular_file(ec) && NameMatches(pattern, it->path(), options)) {
            files.push_back(it->path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool Below(const fs::path& file, const fs::path& root, fs::path& relative) {
    std::error_code ec;
    fs::path absoluteFile = fs::absolute(file, ec).lexically_normal();
    fs::path absoluteRoot = fs::absolute(root, ec).lexically_normal();
    relative = absoluteFile.lexically_relative(absoluteRoot);
    return !relative.empty() && *relative.begin() != "..";
}

std::string EntryName(const fs::path& file, const fs::path& specRoot, const ZipOptions& options) {
    if (options.dropFolderNames) {
        return PathToUtf8(file.filename());
    }
    fs::path relative;
    fs::path base = BaseFolder(options);
    if ((!base.empty() && Below(file, base, relative)) || Below(file, specRoot, relative)) {
        return GenericPathToUtf8(relative);
    }
    return PathToUtf8(file.filename());
}

// The folder a file spec's entry names are taken relative to.
fs::path FolderOf(const fs::path& path) {
    fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// The files one file spec names, and the folder their entry names start from.
std::vector<fs::path> FilesOf(const fs::path& path, bool recurse, const ZipOptions& options,
                              fs::path& root) {
    std::error_code ec;
    root = FolderOf(path);
    if (HasWildcard(PathToUtf8(path.filename()))) {
        return Match(root, PathToUtf8(path.filename()), recurse, options);
    }
    if (fs::is_directory(path, ec)) {
        if (!recurse) {
            return {};
        }
        fs::path folder = path.lexically_normal();
        if (folder.filename().empty()) {
            folder = folder.parent_path();
        }
        // The folder's own name is kept in the entries found below it.
        root = FolderOf(folder);
        return Match(folder, "*", true, options);
    }
    if (fs::is_regular_file(path, ec)) {
        return {path};
    }
    return {};
}

}  // namespace

ExpandedSpecs ExpandFileSpecs(const std::vector<std::string>& specs, const ZipOptions& options) {
    ExpandedSpecs expanded;
    std::set<std::string> names;
    for (const std::string& fileSpec : specs) {
        fs::path root;
        std::vector<fs::path> files =
            FilesOf(Resolve(fileSpec, options), options.recursion != 0, options, root);
        if (files.empty()) {
            expanded.unmatched.push_back(fileSpec);
        }
        for (const fs::path& file : files) {
            std::string name = EntryName(file, root, options);
            if (names.insert(name).second) {
                expanded.items.push_back(ZipItem{file, std::move(name)});
            }
        }
    }
    return expanded;
}

std::vector<std::string> EntryPatterns(const std::vector<std::string>& specs,
                                       const ZipOptions& options) {
    std::vector<std::string> patterns;
    fs::path base = BaseFolder(options);
    for (const std::string& fileSpec : specs) {
        fs::path path = Resolve(fileSpec, options);
        patterns.push_back(PathToUtf8(path.filename()));
        fs::path relative;
        if (!options.dropFolderNames && !base.empty() && Below(path, base, relative)) {
            patterns.push_back(GenericPathToUtf8(relative));
        }
    }
    return patterns;
}

}  // namespace kestrove
