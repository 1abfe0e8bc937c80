// ReadIni on arbitrary bytes in setting.ini: a hand-edited or damaged file must never crash
// the reader, and whatever it gives back must be a value a line of the file could hold.
#include <string>
#include <utility>
#include <vector>

#include "common/Cp932.h"
#include "fuzz/FuzzSupport.h"
#include "fuzz/IniNames.h"
#include "monitor/settings/IniFile.h"

namespace kestrove::fuzz {
namespace {

std::string AsciiUpper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The program's own names, and the section and key names the file itself seems to hold.
std::vector<IniName> NamesToAsk(std::string_view bytes) {
    return IniNamesIn(bytes, {{"Watch", "Change"}, {"Report", "Password"}, {"NIC0", "NIC_Name"}},
                      12);
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
