// ReadIni on arbitrary bytes in setting.ini: a hand-edited or damaged file must never crash
// the reader, and whatever it gives back must be a value a line of the file could hold.
#include <string>
#include <utility>
#include <vector>

#include "common/Cp932.h"
#include "fuzz/FuzzSupport.h"
#include "monitor/settings/IniFile.h"

namespace kestrove::fuzz {
namespace {

using Name = std::pair<std::string, std::string>;

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The program's own names, and the section and key names the file itself seems to hold.
std::vector<Name> NamesToAsk(std::string_view bytes) {
    std::vector<Name> names = {{"Watch", "Change"}, {"Report", "Password"}, {"NIC0", "NIC_Name"}};
    std::string section;
    std::size_t pos = 0;
    while (pos < bytes.size() && names.size() < 12) {
        std::size_t end = bytes.find_first_of("\r\n", pos);
        std::string_view line = bytes.substr(pos, end == bytes.npos ? bytes.npos : end - pos);
        pos = end == bytes.npos ? bytes.size() : end + 1;
        if (line.starts_with('[')) {
            section = Cp932ToUtf8(line.substr(1, line.find(']') - 1));
        } else if (std::size_t eq = line.find('='); eq != line.npos) {
            names.emplace_back(section, Cp932ToUtf8(line.substr(0, eq)));
        }
    }
    return names;
}

void CheckValue(const std::string& value) {
    FUZZ_CHECK(IsValidUtf8(value));
    FUZZ_CHECK(value.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(Utf8ToCp932(value).size() <= IniFile::kMaxValueBytes);
    FUZZ_CHECK(!value.starts_with(' ') && !value.starts_with('\t'));
}

}  // namespace
}  // namespace kestrove::fuzz

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace kestrove;
    using namespace kestrove::fuzz;
    static ScratchFolder folder("read-ini");
    std::string_view bytes = AsText(data, size);
    IniFile ini = IniFile::InFolder(folder.Path());
    WriteWholeFile(ini.Path(), bytes);

    for (const auto& [section, key] : NamesToAsk(bytes)) {
        std::string value = ini.ReadIni(section, key);
        CheckValue(value);
        FUZZ_CHECK(ini.ReadIni(AsciiUpper(section), AsciiUpper(key)) == value);
    }
    return 0;
}
