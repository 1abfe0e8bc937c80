#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace kestrove {

// One table row being put together from pieces of a log line, in a buffer sized once for the
// worst case, so the hot loop of a report writes bytes without a capacity check per byte and
// the row joins the document in one append.
class RowBytes {
public:
    RowBytes() = default;
    RowBytes(const RowBytes&) = delete;
    RowBytes& operator=(const RowBytes&) = delete;

    // The most one byte of text takes once escaped ("&quot;").
    static constexpr std::size_t kEscapedBytesPerByte = 6;

    // Room for `bytes` more: the most the pieces to come can take.
    void Reserve(std::size_t bytes) {
        std::size_t used = Size();
        if (used + bytes <= capacity_) {
            return;
        }
        capacity_ = used + bytes;
        auto grown = std::make_unique_for_overwrite<char[]>(capacity_);
        std::memcpy(grown.get(), begin_, used);
        heap_ = std::move(grown);
        begin_ = heap_.get();
        end_ = begin_ + used;
    }

    void Put(std::string_view bytes) {
        std::memcpy(end_, bytes.data(), bytes.size());
        end_ += bytes.size();
    }
    void Put(char c) { *end_++ = c; }

    // `text` made safe to stand inside an HTML cell; with `DropSpaces` its spaces are left
    // out, with `ColonAsParen` its colons become "(" (the address cell of a change row).
    template <bool DropSpaces = false, bool ColonAsParen = false>
    void PutEscaped(std::string_view text) {
        // Eight bytes at a time while none of them needs a second look: cells are short, and
        // nearly all of them need none at all.
        std::size_t i = 0;
        for (; i + 8 <= text.size(); i += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i, 8);
            if (!NeedsLook<DropSpaces, ColonAsParen>(word)) {
                std::memcpy(end_, &word, 8);
                end_ += 8;
                continue;
            }
            PutEscapedBytes<DropSpaces, ColonAsParen>(text.substr(i, 8));
        }
        std::string_view tail = text.substr(i);
        if (!tail.empty() && text.size() >= 8) {
            // The last eight bytes, which hold the tail, tell in one look whether it is plain.
            std::uint64_t word;
            std::memcpy(&word, text.data() + text.size() - 8, 8);
            if (!NeedsLook<DropSpaces, ColonAsParen>(word)) {
                Put(tail);
                return;
            }
        }
        PutEscapedBytes<DropSpaces, ColonAsParen>(tail);
    }

    std::string_view View() const { return {begin_, Size()}; }

private:
    static constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    static constexpr std::uint64_t kHighs = 0x8080808080808080ull;

    // The high bit of a byte is set where `word` holds `c`, and maybe of bytes after one that
    // matched (a borrow), so it tells exactly whether there is any.
    static constexpr std::uint64_t Matches(std::uint64_t word, char c) {
        std::uint64_t x = word ^ (kOnes * static_cast<unsigned char>(c));
        return (x - kOnes) & ~x & kHighs;
    }

    template <bool DropSpaces, bool ColonAsParen>
    static constexpr bool NeedsLook(std::uint64_t word) {
        // "&" and "'" differ only in the lowest bit, "<" and ">" only in the next one.
        std::uint64_t any =
            Matches(word | kOnes, '\'') | Matches(word | (kOnes * 2), '>') | Matches(word, '"');
        if constexpr (DropSpaces) {
            any |= Matches(word, ' ');
        }
        if constexpr (ColonAsParen) {
            any |= Matches(word, ':');
        }
        return any != 0;
    }

    template <bool DropSpaces, bool ColonAsParen>
    void PutEscapedBytes(std::string_view text) {
        static constexpr std::array<bool, 0x40> plain = PlainBytes(DropSpaces, ColonAsParen);
        for (char c : text) {
            auto b = static_cast<unsigned char>(c);
            if (b >= 0x40 || plain[b]) {
                *end_++ = c;
                continue;
            }
            switch (c) {
                case '&':
                    Put("&amp;");
                    break;
                case '<':
                    Put("&lt;");
                    break;
                case '>':
                    Put("&gt;");
                    break;
                case '"':
                    Put("&quot;");
                    break;
                case '\'':
                    Put("&#39;");
                    break;
                case ':':
                    *end_++ = '(';
                    break;
                default:  // a space, left out
                    break;
            }
        }
    }

    static constexpr std::array<bool, 0x40> PlainBytes(bool dropSpaces, bool colonAsParen) {
        std::array<bool, 0x40> plain{};
        plain.fill(true);
        for (char c : {'&', '<', '>', '"', '\''}) {
            plain[static_cast<unsigned char>(c)] = false;
        }
        plain[' '] = !dropSpaces;
        plain[':'] = !colonAsParen;
        return plain;
    }

    std::size_t Size() const { return static_cast<std::size_t>(end_ - begin_); }

    std::array<char, 4096> inline_;
    std::unique_ptr<char[]> heap_;
    std::size_t capacity_ = inline_.size();
    char* begin_ = inline_.data();
    char* end_ = inline_.data();
};

}  // namespace kestrove
