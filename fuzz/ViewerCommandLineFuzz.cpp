// The viewer's command line: the path of the log, whether the caller quoted it, left it bare or
// let a shell split it at its blanks. Input: the arguments, separated by NUL bytes.
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "viewer/LogCommandLine.h"

namespace {

std::vector<std::string> SplitAt(std::string_view text, char separator) {
    std::vector<std::string> parts;
    while (true) {
        std::size_t at = text.find(separator);
        parts.emplace_back(text.substr(0, at));
        if (at == text.npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    using namespace kestrove;
    using namespace kestrove::fuzz;
    std::vector<std::string> args = SplitAt(AsText(data, size), '\0');

    std::string joined;
    for (std::size_t i = 0; i < args.size(); ++i) {
        joined += (i > 0 ? " " : "") + args[i];
    }
    std::string path = LogFilePathFromArguments(args);
    FUZZ_CHECK(joined.find(path) != std::string::npos);
    std::size_t first = joined.find_first_not_of(" \t");
    std::size_t trimmed = first == joined.npos ? 0 : joined.find_last_not_of(" \t") - first + 1;
    FUZZ_CHECK(path.size() + 2 >= trimmed && path.size() <= trimmed);

    // Quoted, any path arrives whole, blanks and quotes inside it included.
    const std::string& p = args[0];
    FUZZ_CHECK(LogFilePathFromArguments({"\"" + p + "\""}) == p);
    // Bare or split at its blanks, a path that neither begins nor ends with a blank or a quote.
    if (!p.empty() && !IsBlank(p.front()) && !IsBlank(p.back()) && p.front() != '"' &&
        p.back() != '"') {
        FUZZ_CHECK(LogFilePathFromArguments({p}) == p);
        FUZZ_CHECK(LogFilePathFromArguments(SplitAt(p, ' ')) == p);
    }
    return 0;
}
