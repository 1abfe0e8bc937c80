// WriteIni then ReadIni over an arbitrary existing setting.ini: the value comes back as the
// settings rules cut it (line breaks dropped, surrounding blanks trimmed, 1023 bytes of CP932),
// other entries keep their values, and the file stays private with no temporary left beside it.
//
// Input: section NUL key NUL value NUL existing-file-bytes.
#include <sys/stat.h>

#include <string>
#include <vector>

#include "common/Cp932.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/IniNames.h"
#include "monitor/settings/IniDocument.h"
#include "monitor/settings/IniFile.h"

namespace kestrove::fuzz {
namespace {

struct Input {
    std::string section;
    std::string key;
    std::string value;
    std::string_view file;
};

Input Split(std::string_view bytes) {
    Input in;
    std::string* fields[] = {&in.section, &in.key, &in.value};
    for (std::string* field : fields) {
        std::size_t nul = bytes.find('\0');
        *field = std::string(bytes.substr(0, nul));
        bytes = nul == bytes.npos ? std::string_view{} : bytes.substr(nul + 1);
    }
    in.file = bytes;
    return in;
}

std::string WithoutLineBreaks(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c != '\r' && c != '\n') {
            out += c;
        }
    }
    return out;
}

std::string_view TrimBlanks(std::string_view s) {
    std::size_t first = s.find_first_not_of(" \t");
    if (first == s.npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A name a line of the file can hold at all: a section name without "]" (not even as the
// second byte of a kanji) and a key that does not look like a section header, neither with
// blanks around it. Other names are the program's own mistake, not the file's; they are
// replaced by a fixed one.
std::string UsableName(const std::string& name, bool isSection) {
    std::string bytes = Utf8ToCp932(WithoutLineBreaks(name));
    bool usable = TrimBlanks(bytes) == bytes && !bytes.empty() &&
                  bytes.find(isSection ? ']' : '=') == bytes.npos &&
                  (isSection || !bytes.starts_with('['));
    return usable ? WithoutLineBreaks(name) : (isSection ? "Report" : "SMTPServer");
}

std::string ExpectedValue(const std::string& value) {
    std::string bytes(TrimBlanks(Utf8ToCp932(WithoutLineBreaks(value))));
    std::size_t cut = Cp932PrefixLength(bytes, IniFile::kMaxValueBytes);
    FUZZ_CHECK(cut <= IniFile::kMaxValueBytes &&
               cut + 1 >= std::min<std::size_t>(bytes.size(), IniFile::kMaxValueBytes));
    return Cp932ToUtf8(bytes.substr(0, cut));
}

// Section and key names from the existing file, to see that they keep their values.
std::vector<IniName> OtherNames(std::string_view bytes) { return IniNamesIn(bytes, {}, 8); }

bool SameName(const std::string& a, const std::string& b) {
    return Cp932EqualsIgnoreCase(TrimBlanks(Utf8ToCp932(a)), TrimBlanks(Utf8ToCp932(b)));
}

}  // namespace
}  // namespace kestrove::fuzz

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace kestrove;
    using namespace kestrove::fuzz;
    static ScratchFolder folder("write-ini");
    Input in = Split(AsText(data, size));
    std::string section = UsableName(in.section, true);
    std::string key = UsableName(in.key, false);

    IniFile ini = IniFile::InFolder(folder.Path());
    WriteWholeFile(ini.Path(), in.file);
    auto others = OtherNames(in.file);
    std::vector<std::string> before;
    for (const auto& [s, k] : others) {
        before.push_back(ini.ReadIni(s, k));
    }

    ini.WriteIni(section, key, in.value);

    FUZZ_CHECK(ini.ReadIni(section, key) == ExpectedValue(in.value));
    for (std::size_t i = 0; i < others.size(); ++i) {
        const auto& [s, k] = others[i];
        if (!(SameName(s, section) && SameName(k, key))) {
            FUZZ_CHECK(ini.ReadIni(s, k) == before[i]);
        }
    }
    struct stat st {};
    FUZZ_CHECK(::stat(ini.Path().c_str(), &st) == 0 && (st.st_mode & 0777) == 0600);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        ++files;
    }
    FUZZ_CHECK(files == 1);
    return 0;
}
