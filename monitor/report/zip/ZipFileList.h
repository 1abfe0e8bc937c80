#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "monitor/report/zip/ZipOptions.h"

namespace kestrove {

// One file to archive and the name its entry gets.
struct ZipItem {
    std::filesystem::path source;
    std::string entryName;  // "/"-separated
};

struct ExpandedSpecs {
    std::vector<ZipItem> items;  // in file spec order, each file spec's files sorted by path
    std::vector<std::string> unmatched;  // specs that named no file
};

// The files the specs name. A file spec with a wildcard in its file name matches files of its
// folder (and, with recursion, of every folder below); a folder spec with recursion takes every
// file below it; any other file spec names one file. Hidden files and folders (names beginning with
// ".") are left out of matches unless asked for. A file named twice is archived once.
ExpandedSpecs ExpandFileSpecs(const std::vector<std::string>& specs, const ZipOptions& options);

// Patterns of the entry names the specs stand for, used to remove entries from an archive.
std::vector<std::string> EntryPatterns(const std::vector<std::string>& specs,
                                       const ZipOptions& options);

}  // namespace kestrove
