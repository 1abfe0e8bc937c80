#include "monitor/report/mail/MailHeaders.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>

#include "common/Utf8Path.h"

namespace kestrove {
namespace {

constexpr std::size_t kMaxLine = 76;
constexpr std::string_view kWordStart = "=?UTF-8?B?";
constexpr std::string_view kWordEnd = "?=";
// 39 bytes make 52 base64 characters: "Subject: " plus one word still fits in 76.
constexpr std::size_t kBytesPerWord = 39;

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Cuts at most kBytesPerWord bytes from the front without splitting a UTF-8 character.
std::size_t WordLength(std::string_view text) {
    if (text.size() <= kBytesPerWord) {
        return text.size();
    }
    std::size_t n = kBytesPerWord;
    while (n > 0 && IsContinuationByte(text[n])) {
        --n;
    }
    return n > 0 ? n : kBytesPerWord;  // malformed text: cut anyway
}

}  // namespace

std::string StripControlCharacters(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u != 0x7F) {
            out += c;
        }
    }
    return out;
}

std::vector<std::string> SplitRecipients(std::string_view tabList) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos <= tabList.size()) {
        std::size_t tab = std::min(tabList.find('\t', pos), tabList.size());
        std::string address =
            std::string(Trim(StripControlCharacters(tabList.substr(pos, tab - pos))));
        if (!address.empty()) {
            out.push_back(std::move(address));
        }
        pos = tab + 1;
    }
    return out;
}

std::string EnvelopeAddress(std::string_view address) {
    std::string clean = StripControlCharacters(address);
    std::string_view view = clean;
    std::size_t open = view.rfind('<');
    if (open != std::string_view::npos) {
        std::size_t close = view.find('>', open);
        view =
            view.substr(open + 1, close == std::string_view::npos ? view.npos : close - open - 1);
    }
    return std::string(Trim(view));
}

std::string SubjectHeader(std::string_view subject) {
    std::string clean = StripControlCharacters(subject);
    std::string_view rest = clean;
    std::string header = "Subject:";
    while (!rest.empty()) {
        std::size_t n = WordLength(rest);
        header += header.size() == 8 ? " " : "\r\n ";
        header += kWordStart;
        header += Base64Encode(rest.substr(0, n));
        header += kWordEnd;
        rest.remove_prefix(n);
    }
    return header;
}

std::string ToHeader(const std::vector<std::string>& recipients) {
    std::string header = "To:";
    std::size_t lineLength = header.size();
    for (std::size_t i = 0; i < recipients.size(); ++i) {
        std::string piece = recipients[i] + (i + 1 < recipients.size() ? "," : "");
        if (i > 0 && lineLength + 1 + piece.size() > kMaxLine) {
            header += "\r\n";
            lineLength = 0;
        }
        header += " " + piece;
        lineLength += 1 + piece.size();
    }
    return header;
}

std::string DateHeader(TimePoint when) {
    static constexpr std::array<const char*, 7> kDays = {"Sun", "Mon", "Tue", "Wed",
                                                         "Thu", "Fri", "Sat"};
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t t = std::chrono::system_clock::to_time_t(when);
    LocalCalendar local = ToLocalCalendar(t);
    const std::tm& tm = local.fields;
    long offset = local.utcOffsetSeconds / 60;
    char sign = offset < 0 ? '-' : '+';
    offset = offset < 0 ? -offset : offset;
    std::array<char, 64> buffer{};
    std::snprintf(buffer.data(), buffer.size(),
                  "Date: %s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                  kDays[static_cast<std::size_t>(tm.tm_wday)], tm.tm_mday,
                  kMonths[static_cast<std::size_t>(tm.tm_mon)], tm.tm_year + 1900, tm.tm_hour,
                  tm.tm_min, tm.tm_sec, sign, offset / 60, offset % 60);
    return buffer.data();
}

std::string AttachmentName(const std::filesystem::path& path) {
    std::string out;
    for (char c : PathToUtf8(path.filename())) {
        auto u = static_cast<unsigned char>(c);
        if (IsContinuationByte(c)) {
            continue;  // one "_" stands for the whole character
        }
        out += u < 0x20 || u >= 0x7F || c == '"' || c == '\\' ? '_' : c;
    }
    return out;
}

std::string AttachmentType(const std::filesystem::path& path) {
    std::string ext = PathToUtf8(path.extension());
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ext == ".zip") {
        return "application/zip";
    }
    if (ext == ".htm" || ext == ".html") {
        // Reports are written in CP932.
        return "text/html; charset=Shift_JIS";
    }
    return "application/octet-stream";
}

std::string Base64Encode(std::string_view bytes) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t chunk = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) {
            chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        if (i + 2 < bytes.size()) {
            chunk |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

}  // namespace kestrove
