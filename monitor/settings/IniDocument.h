#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrove {

// The raw lines of an INI file, in CP932 bytes, with just enough parsing to find sections and
// keys. Each line keeps its own line end so that untouched lines are written back unchanged.
class IniDocument {
public:
    static IniDocument Parse(std::string_view bytes);
    std::string Serialize() const;

    // The trimmed value bytes of the first matching key in the first matching section.
    std::optional<std::string> Find(std::string_view section, std::string_view key) const;

    void Set(std::string_view section, std::string_view key, std::string_view value);

    // Removes every section of that name with its lines; false when there was none.
    bool RemoveSection(std::string_view section);

private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n", "\r" or "" for a last line without one
    };

    // Index of the first header line of the section, or lines_.size().
    std::size_t FindSection(std::string_view section) const;
    // One past the last line that belongs to the section whose header is at `header`.
    std::size_t SectionEnd(std::size_t header) const;

    std::vector<Line> lines_;
};

// Section and key names compare without regard to ASCII letter case; the second byte of a
// CP932 double-byte character is never folded, so two different kanji never compare equal.
bool Cp932EqualsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace kestrove
