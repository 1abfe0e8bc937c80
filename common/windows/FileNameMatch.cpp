#include "common/FileNameMatch.h"

#include <cstddef>
#include <optional>

// The C runtime of Windows has no fnmatch(); this follows it byte by byte (no flags but
// FNM_PERIOD), so archive patterns pick the same files on both platforms.
namespace kestrove {
namespace {

// Matches the bracket expression at pattern[pos] ('[' already seen) against c. Returns the
// position after the closing ']' and whether c was in the set, or nothing when the bracket is
// not closed (then '[' is an ordinary character).
struct BracketResult {
    std::size_t end;
    bool matched;
};

std::optional<BracketResult> MatchBracket(std::string_view pattern, std::size_t pos, char c) {
    bool negate = pos < pattern.size() && (pattern[pos] == '!' || pattern[pos] == '^');
    if (negate) {
        ++pos;
    }
    bool matched = false;
    bool first = true;
    while (pos < pattern.size()) {
        char lo = pattern[pos];
        if (lo == ']' && !first) {
            return BracketResult{pos + 1, matched != negate};
        }
        first = false;
        if (lo == '\\' && pos + 1 < pattern.size()) {
            lo = pattern[++pos];
        }
        ++pos;
        char hi = lo;
        if (pos + 1 < pattern.size() && pattern[pos] == '-' && pattern[pos + 1] != ']') {
            hi = pattern[pos + 1];
            if (hi == '\\' && pos + 2 < pattern.size()) {
                hi = pattern[pos + 2];
                ++pos;
            }
            pos += 2;
        }
        auto u = static_cast<unsigned char>(c);
        if (u >= static_cast<unsigned char>(lo) && u <= static_cast<unsigned char>(hi)) {
            matched = true;
        }
    }
    return std::nullopt;
}

bool Match(std::string_view p, std::string_view n, bool period) {
    std::size_t pi = 0;
    std::size_t ni = 0;
    // Where to go on after the last "*": one more name byte swallowed each time.
    std::optional<std::size_t> starP;
    std::size_t starN = 0;
    while (ni < n.size()) {
        bool leadingPeriod = period && ni == 0 && n[0] == '.';
        if (pi < p.size() && p[pi] == '*' && !leadingPeriod) {
            starP = ++pi;
            starN = ni;
            continue;
        }
        if (pi < p.size()) {
            char pc = p[pi];
            if (pc == '?' && !leadingPeriod) {
                ++pi, ++ni;
                continue;
            }
            if (pc == '[' && !leadingPeriod) {
                if (std::optional<BracketResult> b = MatchBracket(p, pi + 1, n[ni])) {
                    if (b->matched) {
                        pi = b->end, ++ni;
                        continue;
                    }
                } else if (n[ni] == '[') {
                    ++pi, ++ni;
                    continue;
                }
            } else if (pc == '\\') {
                // An escaped byte matches itself; a backslash that ends the pattern, nothing.
                if (pi + 1 < p.size() && p[pi + 1] == n[ni]) {
                    pi += 2, ++ni;
                    continue;
                }
            } else if (pc == n[ni]) {
                ++pi, ++ni;
                continue;
            }
        }
        if (!starP) {
            return false;
        }
        pi = *starP;
        ni = ++starN;
    }
    while (pi < p.size() && p[pi] == '*') {
        ++pi;
    }
    return pi == p.size();
}

}  // namespace

bool FileNameMatches(std::string_view pattern, std::string_view name, bool explicitLeadingPeriod) {
    return Match(pattern, name, explicitLeadingPeriod);
}

}  // namespace kestrove
