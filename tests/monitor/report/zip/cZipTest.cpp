#include "ZipFixture.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::Pair;

using cZipTest = ZipFixture;

TEST_F(cZipTest, FreshObjectDefaultsAndPropertiesReadBack) {
    cZip zip;
    EXPECT_EQ(zip.ZipFile(), "");
    EXPECT_EQ(zip.BasePath(), "");
    EXPECT_EQ(zip.MessageLevel(), 2);
    EXPECT_EQ(zip.FileSpecCount(), 0);
    EXPECT_TRUE(zip.Success());
    zip.SetZipFile("/a/b.zip");
    zip.SetBasePath(" /base ");
    EXPECT_EQ(zip.ZipFile(), "/a/b.zip");
    EXPECT_EQ(zip.BasePath(), " /base ");

    struct Flag {
        bool (cZip::*get)() const;
        void (cZip::*set)(bool);
    };
    const Flag flags[] = {
        {&cZip::Encrypt, &cZip::SetEncrypt},
        {&cZip::AddComment, &cZip::SetAddComment},
        {&cZip::IncludeSystemAndHiddenFiles, &cZip::SetIncludeSystemAndHiddenFiles},
        {&cZip::StoreVolumeLabel, &cZip::SetStoreVolumeLabel},
        {&cZip::StoreDirectories, &cZip::SetStoreDirectories},
        {&cZip::StoreFolderNames, &cZip::SetStoreFolderNames},
        {&cZip::RecurseSubDirs, &cZip::SetRecurseSubDirs},
        {&cZip::UpdateOnlyIfNewer, &cZip::SetUpdateOnlyIfNewer},
        {&cZip::FreshenFiles, &cZip::SetFreshenFiles},
        {&cZip::ConvertCRLFToLF, &cZip::SetConvertCRLFToLF},
        {&cZip::ConvertLFToCRLF, &cZip::SetConvertLFToCRLF},
        {&cZip::AllowAppend, &cZip::SetAllowAppend},
    };
    // Each flag is off at first and reads back alone when set.
    for (std::size_t i = 0; i < std::size(flags); ++i) {
        EXPECT_FALSE((zip.*flags[i].get)()) << i;
        (zip.*flags[i].set)(true);
        for (std::size_t j = 0; j < std::size(flags); ++j) {
            EXPECT_EQ((zip.*flags[j].get)(), i == j) << i << " set, " << j << " read";
        }
        (zip.*flags[i].set)(false);
    }
}

TEST_F(cZipTest, MessageLevelTakesOnlyItsThreeValues) {
    cZip zip;
    const std::pair<int, int> levels[] = {{0, 0}, {3, 0}, {1, 1}, {-1, 1}, {2, 2}};
    for (auto [level, kept] : levels) {
        zip.SetMessageLevel(level);
        EXPECT_EQ(zip.MessageLevel(), kept) << level;
    }
}

TEST_F(cZipTest, SpecsAreNumberedFromOne) {
    cZip zip;
    zip.AddFileSpec("a");
    zip.AddFileSpec("b");
    EXPECT_EQ(zip.FileSpecCount(), 2);
    EXPECT_EQ(zip.FileSpec(1), "a");
    EXPECT_EQ(zip.FileSpec(2), "b");
    EXPECT_EQ(zip.FileSpec(0), "");
    EXPECT_EQ(zip.FileSpec(3), "");
    zip.ClearFileSpecs();
    EXPECT_EQ(zip.FileSpecCount(), 0);
}

TEST_F(cZipTest, FreshObjectStoresTheBareNameOnly) {
    fs::path report = Put("x/Report_a.htm", "<html>\r\n");
    cZip zip = Fresh({report});
    zip.SetZipFile((dir / "x" / "Report_a.zip").string());
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    auto entries = ReadZip(dir / "x" / "Report_a.zip");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ((*entries)[0].name, "Report_a.htm");
    EXPECT_EQ((*entries)[0].bytes, "<html>\r\n");
    EXPECT_FALSE((*entries)[0].encrypted);
    EXPECT_THAT(events.progress, ElementsAre("  adding: Report_a.htm"));
}

TEST_F(cZipTest, AtMost1022Specs) {
    fs::path file = Put("a.txt", "a");
    cZip zip = Fresh();
    for (int i = 0; i < 1022; ++i) {
        zip.AddFileSpec(file.string());
    }
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    EXPECT_THAT(Names(), ElementsAre("a.txt"));

    fs::remove(Archive());
    zip.AddFileSpec(file.string());
    zip.Zip();
    EXPECT_FALSE(zip.Success());
    EXPECT_EQ(zip.Result(), ZipResult::TooManySpecs);
    EXPECT_FALSE(fs::exists(Archive())) << "refused before anything was touched";
}

TEST_F(cZipTest, FailuresLeaveTheOldArchiveAndClearSuccess) {
    fs::path a = Put("a.txt", "a");
    cZip zip = Fresh({a});
    zip.Zip();
    ASSERT_TRUE(zip.Success());
    std::string good = ReadFile(Archive());

    zip.ClearFileSpecs();
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::NothingToDo);

    zip.AddFileSpec((dir / "missing.txt").string());
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::NameNotMatched);
    EXPECT_FALSE(zip.Success());

    zip.ClearFileSpecs();
    zip.AddFileSpec(a.string());
    zip.AddFileSpec(Put("b.txt", "b").string());
    events.cancelAt = 2;
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::Cancelled);
    EXPECT_EQ(ReadFile(Archive()), good);

    events.cancelAt = 0;
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    EXPECT_THAT(Names(), ElementsAre("a.txt", "b.txt"));
}

TEST_F(cZipTest, UnwritableArchiveFails) {
    fs::create_directories(Archive());
    cZip zip = Fresh({Put("a.txt", "a")});
    zip.Zip();
    EXPECT_FALSE(zip.Success());
    EXPECT_TRUE(fs::is_directory(Archive()));
}

TEST_F(cZipTest, DeleteRemovesNamedEntriesAndKeepsSuccess) {
    cZip zip = Fresh({Put("a.txt", "a"), Put("b.txt", "b"), Put("c.log", "c")});
    zip.Zip();
    ASSERT_TRUE(zip.Success());

    cZip remover = Fresh({"b.txt", dir / "*.log"});
    remover.Delete();
    EXPECT_TRUE(remover.Success());
    EXPECT_THAT(Names(), ElementsAre("a.txt"));

    remover.ClearFileSpecs();
    remover.AddFileSpec((dir / "missing.txt").string());
    remover.Zip();
    ASSERT_FALSE(remover.Success());
    remover.ClearFileSpecs();
    remover.AddFileSpec("a.txt");
    remover.Delete();
    EXPECT_FALSE(remover.Success()) << "Delete leaves the result of the last Zip";
}

TEST_F(cZipTest, EncryptedEntriesOpenWithThePasswordOnly) {
    cZip zip = Fresh({Put("secret.txt", "top secret")});
    zip.SetEncrypt(true);
    events.password = "  s3cret ";
    zip.Zip();
    ASSERT_TRUE(zip.Success());
    EXPECT_THAT(events.passwordAsks, ElementsAre(Pair(255, false), Pair(255, true)));

    auto entries = ReadZip(Archive(), "s3cret");
    ASSERT_TRUE(entries && entries->size() == 1u);
    EXPECT_TRUE((*entries)[0].encrypted);
    EXPECT_TRUE((*entries)[0].readable);
    EXPECT_EQ((*entries)[0].bytes, "top secret");
    auto wrong = ReadZip(Archive(), "guess");
    ASSERT_TRUE(wrong);
    EXPECT_FALSE((*wrong)[0].readable);
}

TEST_F(cZipTest, MissingCancelledOrUnconfirmedPasswordWritesNothing) {
    cZip zip = Fresh({Put("secret.txt", "top secret")});
    zip.SetEncrypt(true);
    events.password = "   ";
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::Cancelled);

    events.password = "pw";
    events.cancelPassword = true;
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::Cancelled);

    events.cancelPassword = false;
    events.confirmation = "pW";
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::PasswordMismatch);
    EXPECT_FALSE(fs::exists(Archive()));
}

TEST_F(cZipTest, CommentIsStoredAndCutAt255Bytes) {
    cZip zip = Fresh({Put("a.txt", "a")});
    zip.SetAddComment(true);
    events.comment = " 監視レポート ";
    zip.Zip();
    ASSERT_TRUE(zip.Success());
    EXPECT_EQ(ZipComment(Archive()), "監視レポート");

    events.comment = std::string(60, 'y');
    for (int i = 0; i < 100; ++i) {
        events.comment += "あ";  // three bytes each: 360 bytes in all
    }
    zip.Zip();
    ASSERT_TRUE(zip.Success());
    auto comment = ZipComment(Archive());
    ASSERT_TRUE(comment);
    EXPECT_EQ(comment->size(), 60u + 3 * 65) << "a character is never split";

    events.comment = "";
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::Cancelled);
    events.comment = "c";
    events.cancelComment = true;
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::Cancelled);
    EXPECT_EQ(events.passwordAsks.size(), 0u);
}

TEST_F(cZipTest, QuietLevelTellsNothing) {
    cZip zip = Fresh({Put("a.txt", "a")});
    zip.SetMessageLevel(1);
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    EXPECT_TRUE(events.progress.empty());
    EXPECT_THAT(events.files, ElementsAre("a.txt"));
}

}  // namespace
}  // namespace kestrove::test
