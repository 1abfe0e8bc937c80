#include "common/ReplacingFile.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/ScratchFile.h"
#include "testsupport/SpecialFiles.h"
#include "testsupport/TempFolder.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

TEST(ReplacingFile, ReplacesTheTargetOnlyWhenCommitted) {
    TempFolder dir;
    WriteFile(dir / "a.htm", "old");
    {
        auto file = ReplacingFile::Create(dir / "a.htm");
        ASSERT_TRUE(file);
        EXPECT_TRUE(file->Write("new "));
        EXPECT_TRUE(file->Write("text"));
        EXPECT_EQ(ReadFile(dir / "a.htm"), "old");
        EXPECT_TRUE(file->Commit());
    }
    EXPECT_EQ(ReadFile(dir / "a.htm"), "new text");
    {
        auto file = ReplacingFile::Create(dir / "a.htm");
        ASSERT_TRUE(file);
        file->Write("dropped");
    }
    EXPECT_EQ(ReadFile(dir / "a.htm"), "new text");
    EXPECT_EQ(FolderNames(dir.Path()), std::vector<std::string>{"a.htm"}) << "no temporary left";
    EXPECT_FALSE(ReplacingFile::Create(dir / "missing" / "a.htm"));
}

TEST(ReplacingFile, LargeFileOverAnOldOneArrivesWhole) {
    // Large enough that the writing out starts several times before the rename.
    TempFolder dir;
    WriteFile(dir / "a.htm", std::string(1 << 20, 'o'));
    std::string expected;
    {
        auto file = ReplacingFile::Create(dir / "a.htm");
        ASSERT_TRUE(file);
        for (int i = 0; expected.size() < (20u << 20); ++i) {
            std::string piece(static_cast<std::size_t>(i % 7 * 100003 + 1),
                              static_cast<char>('a' + i % 26));
            ASSERT_TRUE(file->Write(piece));
            expected += piece;
        }
        ASSERT_TRUE(file->Commit());
    }
    EXPECT_EQ(ReadFile(dir / "a.htm"), expected);
}

TEST(ReplacingFile, TemporariesAreFreshAndALinkAtTheTargetIsRefused) {
    TempFolder dir;
    WriteFile(dir / "victim", "keep");
    auto first = ReplacingFile::Create(dir / "a.htm");
    auto second = ReplacingFile::Create(dir / "a.htm");
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->Temporary(), second->Temporary());
    second->Discard();

    if (!MakeFileLink(dir / "victim", dir / "a.htm")) {
        GTEST_SKIP() << "no symbolic links here";
    }
    first->Write("through the link?");
    EXPECT_FALSE(first->Commit());
    EXPECT_EQ(ReadFile(dir / "victim"), "keep");
    EXPECT_TRUE(fs::is_symlink(dir / "a.htm"));
    EXPECT_EQ(FolderNames(dir.Path()), (std::vector<std::string>{"a.htm", "victim"}));
}

TEST(ScratchFile, HoldsWhatWasWrittenAndLeavesNoName) {
    TempFolder dir;
    auto scratch = ScratchFile::Create(dir.Path());
    ASSERT_TRUE(scratch);
    // No name where the system has nameless files; else one that no one else can open.
    for (const std::string& name : FolderNames(dir.Path())) {
        EXPECT_FALSE(std::ifstream(dir / name)) << name << " can be opened by others";
    }
    std::string big(3 * 1024 * 1024 + 5, 'x');
    big[12345] = 'y';
    for (int round = 0; round < 2; ++round) {
        EXPECT_TRUE(scratch->Write("head "));
        EXPECT_TRUE(scratch->Write(big));
        std::string back;
        EXPECT_TRUE(scratch->ReadAll([&](std::string_view block) {
            back += block;
            return true;
        }));
        EXPECT_EQ(back, "head " + big);
        EXPECT_TRUE(scratch->Clear());
    }
    scratch.reset();
    EXPECT_TRUE(FolderNames(dir.Path()).empty()) << "nothing is left once closed";
    EXPECT_FALSE(ScratchFile::Create(dir / "missing"));
}

}  // namespace
}  // namespace kestrove::test
