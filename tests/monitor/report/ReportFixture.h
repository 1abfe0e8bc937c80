#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/report/DocumentOpener.h"
#include "monitor/report/ReportBuilder.h"
#include "monitor/report/ReportMailer.h"
#include "monitor/settings/IniFile.h"
#include "testsupport/FakeClock.h"
#include "testsupport/FakeTimers.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {

class RecordingOpener final : public DocumentOpener {
public:
    void Open(const std::filesystem::path& path) override { opened.push_back(path); }
    std::vector<std::filesystem::path> opened;
};

struct SentMail {
    std::string subject;
    std::filesystem::path attachment;
    bool attachmentExisted = false;
};

class RecordingMailer final : public ReportMailer {
public:
    void SendReportMail(std::string_view subject, const std::filesystem::path& attachment,
                        MailDone done) override {
        mails.push_back({std::string(subject), attachment, std::filesystem::exists(attachment)});
        if (!done) {
            return;
        }
        if (inBackground) {
            undone.push_back(std::move(done));
        } else {
            done();
        }
    }
    std::vector<SentMail> mails;
    // As a mailer that sends in the background: `done` waits in `undone` until a test calls it.
    bool inBackground = false;
    std::vector<MailDone> undone;
};

// Typical alarm-log lines (UTF-8, without line end).
inline constexpr std::string_view kStartLine = "2007/05/05 09:00:00\tプログラムを開始しました";
inline constexpr std::string_view kChangeLine =
    "2007/05/05 09:10:11\tMACアドレスが変化しました\t(192.168.  0.  5:PC01) 00-11-22-33-44-55 -> "
    "66-77-88-99-AA-BB";
inline constexpr std::string_view kDuplicateLine =
    "2007/05/05 09:10:12\t同一MACアドレスが重複しています\t00-11-22-33-44-55 (192.168.  1.  5) と "
    "00-11-22-33-44-55 (192.168.  1.  9)";
inline constexpr std::string_view kOwnMacLine =
    "2007/05/05 09:11:00\tこのPCのMACアドレスがブロードキャストされました\t00-AA-BB-CC-DD-01 "
    "(192.168.  1. 66)";
inline constexpr std::string_view kNamelessChangeLine =
    "2007/05/05 09:12:00\tMACアドレスが変化しました\t(192.168.  1.  1:) 00-AA-BB-CC-DD-0E -> "
    "00-11-22-33-44-55";
inline constexpr std::string_view kMailErrorLine =
    "2007/05/05 09:13:00\tレポートメール送信エラー：could not connect";
inline constexpr std::string_view kEndLine = "2007/05/05 09:20:00\tプログラムを終了しました";

// A report builder over a temporary program folder, a fake clock (2007/05/05 14:03:09) and a
// recording browser.
class ReportFixture : public ::testing::Test {
protected:
    std::filesystem::path LogPath() const { return dir / "log" / "alart.log"; }
    // Writes the log as the monitor does: CP932, every line ended by CR LF.
    void WriteLog(const std::vector<std::string_view>& lines) const;
    void WriteLogBytes(std::string_view bytes) const;
    // A log of `count` change alarms, about 100 bytes each, the hosts named PC0, PC1, ...
    void WriteChangeLog(int count) const;
    // report.htm decoded to UTF-8 ("" when missing).
    std::string WorkingReport() const;
    std::filesystem::path Dated(std::string_view name = "Report_a.htm") const {
        return dir / "out" / name;
    }
    ReportOutcome Make(std::string_view period, bool compress = false) {
        return builder.MakeReport(Dated(), false, compress, period);
    }

    TempFolder dir;
    FakeClock clock;
    RecordingOpener opener;
    ReportBuilder builder{dir.Path(), clock, opener};
    IniFile settings = IniFile::InFolder(dir.Path());
};

// The expected report.htm text (UTF-8): the given pieces, each followed by CR LF, and one CR LF
// more.
std::string Document(const std::vector<std::string_view>& pieces);

// The fixed pieces of every report, written out here on their own so that the builder's table
// is checked against an independent copy.
extern const std::vector<std::string_view> kExpectedHead;        // pieces 1-8
extern const std::vector<std::string_view> kExpectedPeriodHead;  // pieces 10-16
extern const std::vector<std::string_view> kExpectedTail;        // pieces 20-39
extern const std::vector<std::string_view> kExpectedTableHead;   // table pieces 2-8

// Joins lists of pieces.
std::vector<std::string_view> Concat(std::initializer_list<std::vector<std::string_view>> lists);

}  // namespace kestrove::test
