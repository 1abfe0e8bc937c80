#include "common/DataFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "common/Utf8Path.h"
#include "testsupport/TempFolder.h"
#include "testsupport/windows/AccessEntries.h"

namespace kestrove::test {
namespace {

namespace fs = std::filesystem;

// Sets LOCALAPPDATA for one test and puts the old value back.
class LocalAppData {
public:
    explicit LocalAppData(const std::wstring& value) {
        wchar_t old[MAX_PATH + 1];
        DWORD n = ::GetEnvironmentVariableW(L"LOCALAPPDATA", old, MAX_PATH + 1);
        if (n > 0 && n <= MAX_PATH) {
            old_ = std::wstring(old, n);
        }
        ::SetEnvironmentVariableW(L"LOCALAPPDATA", value.empty() ? nullptr : value.c_str());
    }
    ~LocalAppData() { ::SetEnvironmentVariableW(L"LOCALAPPDATA", old_ ? old_->c_str() : nullptr); }

private:
    std::optional<std::wstring> old_;
};

std::size_t Entries(const fs::path& folder) {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

TEST(LocalAppDataFolder, TheOwnFolderIsKestroveInLocalAppDataWhenThatIsAbsolute) {
    auto platform = CreateDataFolderPlatform();
    TempFolder dir;
    {
        LocalAppData local(dir.Path().wstring());
        EXPECT_EQ(platform->PerUserFolder(), dir / "Kestrove");
    }
    for (const std::wstring& unusable : {std::wstring(L"relative\\folder"), std::wstring()}) {
        LocalAppData local(unusable);
        EXPECT_TRUE(platform->PerUserFolder().empty());
    }
}

TEST(LocalAppDataFolder, WritingIsTriedAndLeavesNothingBehind) {
    auto platform = CreateDataFolderPlatform();
    TempFolder dir;
    WriteFile(dir / "file", "x");
    EXPECT_TRUE(platform->CanWrite(dir.Path()));
    EXPECT_EQ(Entries(dir.Path()), 1u);
    EXPECT_FALSE(platform->CanWrite(dir / "missing"));
    EXPECT_FALSE(platform->CanWrite(dir / "file")) << "a file is no folder";
}

TEST(LocalAppDataFolder, AProgramFolderOtherUsersMayWriteIsPassedOverForTheOwnFolder) {
    auto platform = CreateDataFolderPlatform();
    TempFolder dir;
    fs::path program = dir / "program";
    fs::create_directory(program);
    LocalAppData env((dir / "local").wstring());
    EXPECT_EQ(ChooseDataFolder(program, *platform).folder, program);
    ASSERT_TRUE(LetEveryoneWrite(program));
    DataFolderChoice choice = ChooseDataFolder(program, *platform);
    EXPECT_EQ(choice.folder, dir / "local" / "Kestrove");
    EXPECT_TRUE(choice.writable);
}

TEST(LocalAppDataFolder, AnInstalledCopyKeepsItsFilesInTheOwnFolderUnderAJapaneseName) {
    auto platform = CreateDataFolderPlatform();
    TempFolder dir;
    fs::path program = dir / "program";
    fs::create_directory(program);
    WriteFile(program / std::string(kInstalledMarker), "");
    fs::path local = dir.Path() / PathFromUtf8("\xE6\x97\xA5\xE6\x9C\xAC") / "AppData";
    LocalAppData env(local.wstring());

    DataFolderChoice choice = ChooseDataFolder(program, *platform);
    EXPECT_EQ(choice.folder, local / "Kestrove");
    EXPECT_TRUE(choice.writable);
    EXPECT_TRUE(fs::is_directory(local / "Kestrove")) << "made with its parents";
    EXPECT_EQ(PathToUtf8(choice.folder.parent_path().parent_path().filename()),
              "\xE6\x97\xA5\xE6\x9C\xAC");

    // A file where the own folder belongs: nothing can be kept, and that is said.
    fs::remove_all(local);
    fs::create_directories(local);
    WriteFile(local / "Kestrove", "");
    EXPECT_FALSE(ChooseDataFolder(program, *platform).writable);
}

}  // namespace
}  // namespace kestrove::test
