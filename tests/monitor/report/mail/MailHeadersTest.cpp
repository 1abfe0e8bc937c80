#include "monitor/report/mail/MailHeaders.h"

#include <gtest/gtest.h>

#include "common/Utf8Path.h"
#include "monitor/report/mail/MailServerAddress.h"

namespace kestrove {
namespace {

std::string Base64Decode(std::string_view text) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (char c : text) {
        std::size_t v = kAlphabet.find(c);
        if (v == std::string_view::npos) {
            break;
        }
        bits = (bits << 6) | static_cast<unsigned>(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
    return out;
}

// The lines of a folded header, each checked to fit in 76 characters.
std::vector<std::string> FoldedLines(const std::string& header) {
    std::vector<std::string> lines;
    for (std::size_t pos = 0; pos <= header.size();) {
        std::size_t end = std::min(header.find("\r\n", pos), header.size());
        lines.push_back(header.substr(pos, end - pos));
        EXPECT_LE(lines.back().size(), 76u) << lines.back();
        pos = end + 2;
    }
    return lines;
}

// Decodes a folded "Subject:" header of B-encoded words.
std::string DecodeSubject(const std::string& header) {
    std::string text;
    for (const std::string& line : FoldedLines(header)) {
        std::size_t start = line.find("=?UTF-8?B?");
        std::size_t stop = line.rfind("?=");
        EXPECT_NE(start, std::string::npos) << line;
        EXPECT_EQ(stop + 2, line.size()) << line;
        text += Base64Decode(line.substr(start + 10, stop - start - 10));
    }
    return text;
}

TEST(MailHeaders, SubjectIsFoldedEncodedWordsThatDecodeBackWithWholeCharacters) {
    std::string shortSubject = "報告書（異常発生)";
    std::string header = SubjectHeader(shortSubject);
    EXPECT_EQ(header.rfind("Subject: =?UTF-8?B?", 0), 0u);
    EXPECT_EQ(DecodeSubject(header), shortSubject);

    std::string longSubject;
    for (int i = 0; i < 12; ++i) {
        longSubject += "報告書（異常発生) ";
    }
    header = SubjectHeader(longSubject);
    EXPECT_NE(header.find("\r\n "), std::string::npos);
    EXPECT_EQ(DecodeSubject(header), longSubject);
}

TEST(MailHeaders, LineBreaksAndControlCharactersNeverReachAHeader) {
    std::string header = SubjectHeader("report\r\nBcc: victim@example.org");
    EXPECT_EQ(DecodeSubject(header), "reportBcc: victim@example.org");
    EXPECT_EQ(StripControlCharacters("a\rb\nc\td\x7f"
                                     "e\x01"),
              "abcde");

    auto recipients = SplitRecipients(" a@example.org\t\t b@example.org\r\nBcc: x \t\t");
    EXPECT_EQ(recipients, (std::vector<std::string>{"a@example.org", "b@example.orgBcc: x"}));
    EXPECT_EQ(EnvelopeAddress("Kestrove <kestrove@example.org>"), "kestrove@example.org");
    EXPECT_EQ(EnvelopeAddress(" plain@example.org\r\n"), "plain@example.org");
}

TEST(MailHeaders, LongRecipientListsAreFolded) {
    std::vector<std::string> many(8, "someone.with.a.long.name@example.org");
    EXPECT_GT(FoldedLines(ToHeader(many)).size(), 1u);
    EXPECT_EQ(ToHeader({"a@b", "c@d"}), "To: a@b, c@d");
}

TEST(MailHeaders, AttachmentNamesStayPrintableAscii) {
    EXPECT_EQ(AttachmentName("/x/Report_2007-05-05_12-00-00.zip"),
              "Report_2007-05-05_12-00-00.zip");
    EXPECT_EQ(AttachmentName(PathFromUtf8("/x/報告\"1\".htm")), "___1_.htm");
    EXPECT_EQ(AttachmentType("a.ZIP"), "application/zip");
    EXPECT_EQ(Base64Encode(std::string_view("\x00\xff\r\n", 4)), "AP8NCg==");
}

TEST(MailServerAddress, AcceptsHostPortAndSchemesWithTheirDefaultPorts) {
    auto url = [](std::string_view text, MailProtocol p = MailProtocol::Smtp) {
        auto a = ParseMailServer(text, p);
        return a ? a->Url() : std::string("-");
    };
    EXPECT_EQ(url("mail.example.org"), "smtp://mail.example.org:25/");
    EXPECT_EQ(url(" mail.example.org:587 "), "smtp://mail.example.org:587/");
    EXPECT_EQ(url("SMTPS://mail.example.org"), "smtps://mail.example.org:465/");
    EXPECT_EQ(url("smtps://mail.example.org:2465/"), "smtps://mail.example.org:2465/");
    EXPECT_EQ(url("::1"), "smtp://[::1]:25/");
    EXPECT_EQ(url("[::1]:2525"), "smtp://[::1]:2525/");
    EXPECT_EQ(url("pop.example.org", MailProtocol::Pop3), "pop3://pop.example.org:110/");
    EXPECT_EQ(url("pop3s://pop.example.org", MailProtocol::Pop3), "pop3s://pop.example.org:995/");
    for (auto bad : {"", "user@host", "host/path", "host:0", "host:99999", "host:x", "http://host",
                     "pop3://host", "ho st"}) {
        EXPECT_EQ(url(bad), "-") << bad;
    }
}

}  // namespace
}  // namespace kestrove
