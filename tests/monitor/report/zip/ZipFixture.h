#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ZipReader.h"
#include "monitor/report/zip/cZip.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {

// Answers the archive's questions as set up and records what it was told.
class ScriptedZipEvents final : public cZipEvents {
public:
    void Cancel(std::string_view message, bool& cancel) override {
        files.emplace_back(message);
        cancel = cancelAt == static_cast<int>(files.size());
    }
    void PasswordRequest(std::string& answer, int maxLength, bool confirm, bool& cancel) override {
        passwordAsks.push_back({maxLength, confirm});
        answer = confirm && !confirmation.empty() ? confirmation : password;
        cancel = cancelPassword;
    }
    void CommentRequest(std::string& answer, bool& cancel) override {
        ++commentAsks;
        answer = comment;
        cancel = cancelComment;
    }
    void Progress(int count, std::string_view message) override {
        EXPECT_EQ(count, 1);
        progress.emplace_back(message);
    }

    std::string password;
    std::string confirmation;  // when set, the second answer differs
    bool cancelPassword = false;
    std::string comment;
    bool cancelComment = false;
    int cancelAt = 0;  // cancel at this file (from 1); 0 never

    std::vector<std::string> files;
    std::vector<std::pair<int, bool>> passwordAsks;
    int commentAsks = 0;
    std::vector<std::string> progress;
};

class ZipFixture : public ::testing::Test {
protected:
    std::filesystem::path Put(const std::string& name, std::string_view bytes) {
        std::filesystem::path path = dir / name;
        std::filesystem::create_directories(path.parent_path());
        WriteFile(path, bytes);
        return path;
    }
    std::filesystem::path Archive() const { return dir / "out.zip"; }
    std::vector<std::string> Names() const {
        auto entries = ReadZip(Archive());
        return entries ? EntryNames(*entries) : std::vector<std::string>{"<no archive>"};
    }
    // A zip object on Archive() with the given file specs, whose events `events` answers.
    cZip Fresh(const std::vector<std::filesystem::path>& fileSpecs = {}) {
        cZip zip;
        zip.SetZipFile(Archive().string());
        zip.SetEvents(&events);
        for (const auto& spec : fileSpecs) {
            zip.AddFileSpec(spec.string());
        }
        return zip;
    }

    TempFolder dir;
    ScriptedZipEvents events;
};

}  // namespace kestrove::test
