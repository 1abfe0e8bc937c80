// The viewer's line rules over an arbitrary log file: loading never fails, the box holds no CR,
// saving what was loaded is stable from the second round on, and a clean CP932 file of CR LF
// lines is saved back byte for byte. The one-pass conversions agree with line-by-line ones, and
// the slices the window decodes one by one join to the box text of the whole.
#include <algorithm>
#include <string>
#include <vector>

#include "common/Cp932.h"
#include "fuzz/FuzzSupport.h"
#include "viewer/LogDocument.h"

namespace {

bool EveryCrBeforeLf(std::string_view bytes) {
    for (std::size_t i = bytes.find('\r'); i != bytes.npos; i = bytes.find('\r', i + 1)) {
        if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') {
            return false;
        }
    }
    return true;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// The box text built line by line from the lines of the file.
std::string BoxByLines(const std::vector<std::string>& lines) {
    std::string box;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        box += (i > 0 ? "\n" : "") + ReplaceAll(lines[i], "\n", kestrove::logtext::kLineSeparator);
    }
    return box;
}

// The file bytes built line by line from box text.
std::string FileByLines(std::string_view boxText) {
    std::string text = ReplaceAll(ReplaceAll(std::string(boxText), "\r\n", "\n"), "\r", "\n");
    std::string file;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        file += kestrove::Utf8ToCp932(ReplaceAll(line, kestrove::logtext::kLineSeparator, "\n"));
        file += "\r\n";
        if (end == std::string::npos) {
            return file;
        }
        start = end + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace kestrove;
    using namespace kestrove::fuzz;
    std::string_view bytes = AsText(data, size);

    std::vector<std::string> lines = logtext::SplitLines(Cp932ToUtf8(bytes));
    for (const std::string& line : lines) {
        FUZZ_CHECK(line.find('\r') == std::string::npos);
    }
    std::string box = logtext::BoxTextFromFile(bytes);
    FUZZ_CHECK(box == BoxByLines(lines));
    FUZZ_CHECK(IsValidUtf8(box));
    FUZZ_CHECK(box.find('\r') == std::string::npos);
    FUZZ_CHECK(static_cast<std::size_t>(std::count(box.begin(), box.end(), '\n')) + 1 ==
               std::max<std::size_t>(lines.size(), 1));

    // Slices of a size the input's first byte picks, down to a byte each.
    const std::size_t atLeast = bytes.empty() ? 0 : static_cast<unsigned char>(bytes[0]) % 64;
    std::string joined;
    for (std::size_t from = 0; from < bytes.size();) {
        std::size_t end = logtext::SliceEnd(bytes, from, atLeast);
        FUZZ_CHECK(end > from && end <= bytes.size());
        joined += (from > 0 ? "\n" : "") + logtext::BoxTextFromFile(bytes.substr(from, end - from));
        from = end;
    }
    FUZZ_CHECK(joined == box);

    std::string saved = logtext::FileFromBoxText(box);
    FUZZ_CHECK(saved == FileByLines(box));
    FUZZ_CHECK(saved.ends_with("\r\n") && EveryCrBeforeLf(saved));
    FUZZ_CHECK(logtext::FileFromBoxText(logtext::BoxTextFromFile(saved)) == saved);
    if (!bytes.empty() && bytes.ends_with("\r\n") && EveryCrBeforeLf(bytes) &&
        Utf8ToCp932(Cp932ToUtf8(bytes)) == bytes) {
        FUZZ_CHECK(saved == bytes);
    }

    // The same bytes as box text, as pasted into the box.
    std::string pasted = logtext::FileFromBoxText(bytes);
    FUZZ_CHECK(pasted == FileByLines(bytes));
    FUZZ_CHECK(pasted.ends_with("\r\n") && EveryCrBeforeLf(pasted));
    FUZZ_CHECK(logtext::FileFromBoxText(logtext::BoxTextFromFile(pasted)) == pasted);
    return 0;
}
