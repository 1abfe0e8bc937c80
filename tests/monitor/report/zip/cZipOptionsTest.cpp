#include <chrono>

#include "ZipFixture.h"
#include "common/Utf8Path.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

class cZipOptionsTest : public ZipFixture {
protected:
    // A tree with files at three depths, a hidden file and a hidden folder.
    void SetUp() override {
        Put("tree/a.txt", "a");
        Put("tree/b.log", "b");
        Put("tree/sub/c.txt", "c");
        Put("tree/sub/deeper/d.txt", "d");
        Put("tree/.hidden.txt", "h");
        Put("tree/.git/e.txt", "e");
    }
    void SetAge(const fs::path& file, std::chrono::hours age) {
        fs::last_write_time(file, fs::file_time_type::clock::now() - age);
    }
    std::string EntryBytes(const std::string& name) {
        for (const ZipEntry& entry : ReadZip(Archive()).value_or(std::vector<ZipEntry>{})) {
            if (entry.name == name) {
                return entry.bytes;
            }
        }
        return "<missing>";
    }
};

TEST_F(cZipOptionsTest, WildcardsMatchInTheSpecsFolderOnly) {
    cZip zip = Fresh({dir / "tree" / "*.txt"});
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    EXPECT_THAT(Names(), ElementsAre("a.txt"));
}

TEST_F(cZipOptionsTest, RecursionWithWildcardsAndFolderNames) {
    cZip zip = Fresh({dir / "tree" / "*.txt"});
    zip.SetRecurseSubDirs(true);
    zip.SetStoreFolderNames(true);
    zip.Zip();
    EXPECT_THAT(Names(), ElementsAre("a.txt", "sub/c.txt", "sub/deeper/d.txt"));

    zip.SetStoreDirectories(true);
    zip.SetIncludeSystemAndHiddenFiles(true);
    zip.Zip();
    EXPECT_THAT(Names(), UnorderedElementsAre(".git/", ".git/e.txt", ".hidden.txt", "a.txt", "sub/",
                                              "sub/c.txt", "sub/deeper/", "sub/deeper/d.txt"));

    zip.SetStoreFolderNames(false);
    zip.SetIncludeSystemAndHiddenFiles(false);
    zip.Zip();
    EXPECT_THAT(Names(), ElementsAre("a.txt", "c.txt", "d.txt"))
        << "bare names, and no folder entries without folder names";
}

TEST_F(cZipOptionsTest, FolderSpecWithRecursionKeepsTheFolderName) {
    cZip zip = Fresh({dir / "tree" / "sub"});
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::NameNotMatched) << "a folder alone names no file";
    zip.SetRecurseSubDirs(true);
    zip.SetStoreFolderNames(true);
    zip.Zip();
    EXPECT_THAT(Names(), ElementsAre("sub/c.txt", "sub/deeper/d.txt"));
}

TEST_F(cZipOptionsTest, BasePathResolvesRelativeSpecsWithoutChangingFolder) {
    fs::path before = fs::current_path();
    cZip zip = Fresh();
    zip.SetBasePath((dir / "tree").string());
    zip.SetStoreFolderNames(true);
    zip.AddFileSpec("sub/c.txt");
    zip.AddFileSpec("a.txt");
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    EXPECT_THAT(Names(), ElementsAre("sub/c.txt", "a.txt"));
    EXPECT_EQ(fs::current_path(), before);

    zip.SetBasePath("   ");
    zip.Zip();
    EXPECT_EQ(zip.Result(), ZipResult::NameNotMatched) << "a blank base is no base";
}

// Names below a base path in a folder with a Japanese name keep their folders: the base is
// compared as the same path on Windows too, not as bytes widened one by one.
TEST_F(cZipOptionsTest, BasePathWithAJapaneseNameGivesNamesBelowIt) {
    fs::path base = dir.Path() / PathFromUtf8("監視レポート");
    fs::create_directories(base / "sub");
    WriteFile(base / "sub" / "c.txt", "c");
    cZip zip = Fresh();
    zip.SetBasePath(PathToUtf8(base));
    zip.SetStoreFolderNames(true);
    zip.AddFileSpec(PathToUtf8(base / "sub" / "c.txt"));
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    EXPECT_THAT(Names(), ElementsAre("sub/c.txt"));
}

TEST_F(cZipOptionsTest, AppendAddsToTheArchiveInsteadOfReplacingIt) {
    cZip zip = Fresh({dir / "tree" / "a.txt"});
    zip.Zip();
    zip.ClearFileSpecs();
    zip.AddFileSpec((dir / "tree" / "b.log").string());
    zip.Zip();
    EXPECT_THAT(Names(), ElementsAre("b.log"));
    zip.ClearFileSpecs();
    zip.AddFileSpec((dir / "tree" / "a.txt").string());
    zip.SetAllowAppend(true);
    zip.Zip();
    EXPECT_THAT(Names(), ElementsAre("b.log", "a.txt"));
}

TEST_F(cZipOptionsTest, UpdateAndFreshenReplaceOnlyNewerFiles) {
    fs::path a = dir / "tree" / "a.txt";
    fs::path b = dir / "tree" / "b.log";
    fs::path c = dir / "tree" / "sub" / "c.txt";
    SetAge(a, 48h);
    SetAge(b, 48h);
    cZip zip = Fresh({a, b});
    zip.Zip();
    ASSERT_TRUE(zip.Success());

    WriteFile(a, "a, newer");
    SetAge(a, 1h);
    WriteFile(b, "b, changed but dated as before");
    SetAge(b, 48h);
    zip.AddFileSpec(c.string());
    zip.SetFreshenFiles(true);
    zip.Zip();
    EXPECT_TRUE(zip.Success());
    EXPECT_THAT(Names(), ElementsAre("a.txt", "b.log")) << "freshen adds nothing new";
    EXPECT_EQ(EntryBytes("a.txt"), "a, newer");
    EXPECT_EQ(EntryBytes("b.log"), "b");

    WriteFile(a, "a, newest");
    SetAge(a, 0h);
    zip.SetFreshenFiles(false);
    zip.SetUpdateOnlyIfNewer(true);
    zip.Zip();
    EXPECT_THAT(Names(), ElementsAre("a.txt", "b.log", "c.txt"));
    EXPECT_EQ(EntryBytes("a.txt"), "a, newest");
    EXPECT_EQ(EntryBytes("b.log"), "b");
}

TEST_F(cZipOptionsTest, LineEndConversions) {
    fs::path unix = Put("unix.txt", "a\nb\r\nc\n");
    cZip zip = Fresh({unix});
    zip.SetConvertLFToCRLF(true);
    zip.Zip();
    EXPECT_EQ(EntryBytes("unix.txt"), "a\r\nb\r\nc\r\n");
    zip.SetConvertLFToCRLF(false);
    zip.SetConvertCRLFToLF(true);
    zip.Zip();
    EXPECT_EQ(EntryBytes("unix.txt"), "a\nb\nc\n");
}

TEST_F(cZipOptionsTest, ProgressNamesEveryFile) {
    cZip zip = Fresh({dir / "tree" / "*.txt", dir / "tree" / "b.log"});
    zip.Zip();
    EXPECT_THAT(events.progress, ElementsAre("  adding: a.txt", "  adding: b.log"));
    EXPECT_THAT(events.files, ElementsAre("a.txt", "b.log"));
    events.progress.clear();
    zip.SetAllowAppend(true);
    zip.Zip();
    EXPECT_THAT(events.progress, ElementsAre("  updating: a.txt", "  updating: b.log"));
}

}  // namespace
}  // namespace kestrove::test
