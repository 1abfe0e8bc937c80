#include "monitor/settings/IniFile.h"

#include <optional>

#include "common/Cp932.h"
#include "common/FileBytes.h"
#include "monitor/settings/IniDocument.h"

namespace kestrove {
namespace {

// CR and LF inside a name or value would split its line and corrupt the file structure.
std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\r' && c != '\n') {
            out.push_back(c);
        }
    }
    return Utf8ToCp932(out);
}

}  // namespace

std::string IniFile::ReadIni(std::string_view section, std::string_view key) const {
    std::optional<std::string> bytes = ReadFileBytes(path_);
    if (!bytes) {
        return "";
    }
    IniDocument doc = IniDocument::Parse(*bytes);
    std::optional<std::string> value = doc.Find(Utf8ToCp932(section), Utf8ToCp932(key));
    if (!value) {
        return "";
    }
    value->resize(Cp932PrefixLength(*value, kMaxValueBytes));
    return Cp932ToUtf8(*value);
}

void IniFile::WriteIni(std::string_view section, std::string_view key, std::string_view value) {
    FileReadResult current = ReadFileBytesOrMissing(path_);
    if (current.status == FileReadStatus::Error) {
        return;  // never replace a file that exists but could not be read
    }
    IniDocument doc = IniDocument::Parse(current.bytes);
    doc.Set(OneLine(section), OneLine(key), OneLine(value));
    WriteFileAtomically(path_, doc.Serialize(), 0600);
}

bool IniFile::DeleteIniSection(std::string_view section) {
    FileReadResult current = ReadFileBytesOrMissing(path_);
    if (current.status == FileReadStatus::Missing) {
        return true;
    }
    if (current.status == FileReadStatus::Error) {
        return false;
    }
    IniDocument doc = IniDocument::Parse(current.bytes);
    if (!doc.RemoveSection(OneLine(section))) {
        return true;
    }
    return WriteFileAtomically(path_, doc.Serialize(), 0600);
}

}  // namespace kestrove
