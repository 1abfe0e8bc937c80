// Every Windows program we ship carries one application manifest, as the loader reads it: the
// program is loaded as a data file, its RT_MANIFEST resources listed, and the manifest handed to
// the system's own parser (an activation context), which tells the run level and the systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "common/ProgramFolder.h"

namespace kestrove {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

// The programs of the Windows build, in the program folder beside this test's folder; the two
// with windows also carry an icon.
const wchar_t* const kPrograms[] = {L"Meshprobe.exe", L"Kestrove.exe", L"Quillpane.exe"};
const wchar_t* const kWindowPrograms[] = {L"Kestrove.exe", L"Quillpane.exe"};

std::filesystem::path ProgramPath(const wchar_t* name) {
    return ProgramFolder().parent_path() / L"bin" / name;
}

BOOL CALLBACK AddName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(
        IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name)) : name);
    return TRUE;
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

struct DataFile {
    explicit DataFile(const std::filesystem::path& path)
        : module(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataFile() {
        if (module != nullptr) {
            ::FreeLibrary(module);
        }
    }
    DataFile(const DataFile&) = delete;
    DataFile& operator=(const DataFile&) = delete;
    HMODULE module;
};

TEST(ProgramManifest, ExactlyOneManifestAsResourceOneInUtf8WithoutACodePage) {
    for (const wchar_t* name : kPrograms) {
        SCOPED_TRACE(std::filesystem::path(name).string());
        DataFile exe(ProgramPath(name));
        ASSERT_NE(exe.module, nullptr) << ::GetLastError();
        // A second one (a toolchain's default manifest) would leave it to chance which is read.
        std::vector<std::wstring> names;
        ::EnumResourceNamesW(exe.module, RT_MANIFEST, &AddName, reinterpret_cast<LONG_PTR>(&names));
        ASSERT_THAT(names, ElementsAre(L"#1"));
        std::vector<WORD> languages;
        ::EnumResourceLanguagesW(exe.module, RT_MANIFEST, MAKEINTRESOURCEW(1), &AddLanguage,
                                 reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages.size(), 1u);

        HRSRC found = ::FindResourceW(exe.module, MAKEINTRESOURCEW(1), RT_MANIFEST);
        ASSERT_NE(found, nullptr);
        HGLOBAL loaded = ::LoadResource(exe.module, found);
        ASSERT_NE(loaded, nullptr);
        std::string xml(static_cast<const char*>(::LockResource(loaded)),
                        ::SizeofResource(exe.module, found));
        EXPECT_THAT(xml, StartsWith("<?xml version=\"1.0\" encoding=\"UTF-8\""));
        EXPECT_THAT(xml, HasSubstr("<requestedExecutionLevel level=\"asInvoker\" "
                                   "uiAccess=\"false\"/>"));
        EXPECT_THAT(xml, Not(HasSubstr("<activeCodePage")));
    }
}

// The activation context the loader makes from a program's manifest.
struct ManifestContext {
    explicit ManifestContext(const wchar_t* name) {
        std::wstring path = ProgramPath(name).wstring();
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);
        handle = ::CreateActCtxW(&request);
    }
    ~ManifestContext() {
        if (handle != INVALID_HANDLE_VALUE) {
            ::ReleaseActCtx(handle);
        }
    }
    ManifestContext(const ManifestContext&) = delete;
    ManifestContext& operator=(const ManifestContext&) = delete;
    HANDLE handle;
};

TEST(ProgramManifest, TheSystemReadsAsInvokerWithoutUiAccessForWindows7To11) {
    // The compatibility ids of Windows 7, 8, 8.1 and 10/11.
    const GUID systems[] = {
        {0x35138b9a, 0x5d96, 0x4fbd, {0x8e, 0x2d, 0xa2, 0x44, 0x02, 0x25, 0xf9, 0x3a}},
        {0x4a2f28e3, 0x53b9, 0x4441, {0xba, 0x9c, 0xd6, 0x9d, 0x4a, 0x4a, 0x6e, 0x38}},
        {0x1f676c76, 0x80e1, 0x4239, {0x95, 0xbb, 0x83, 0xd0, 0xf6, 0xd0, 0xda, 0x78}},
        {0x8e0f7a12, 0xbfb3, 0x4fe8, {0xb9, 0xa5, 0x48, 0xfd, 0x50, 0xa1, 0x5a, 0x9a}},
    };
    for (const wchar_t* name : kPrograms) {
        SCOPED_TRACE(std::filesystem::path(name).string());
        ManifestContext manifest(name);
        HANDLE context = manifest.handle;
        ASSERT_NE(context, INVALID_HANDLE_VALUE)
            << "the manifest does not parse: " << ::GetLastError();

        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
        SIZE_T size = 0;
        EXPECT_TRUE(::QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext,
                                   &level, sizeof level, &size));
        EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
        EXPECT_EQ(level.UiAccess, 0u);

        // The element layout grew in later systems: the ids are looked for in the answer.
        std::vector<unsigned char> answer(4096);
        ASSERT_TRUE(::QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext,
                                   answer.data(), answer.size(), &size))
            << ::GetLastError();
        answer.resize(size);
        DWORD count = 0;
        std::memcpy(&count, answer.data(), sizeof count);
        EXPECT_EQ(count, std::size(systems));
        for (const GUID& system : systems) {
            bool listed = false;
            for (std::size_t at = sizeof count; at + sizeof system <= answer.size(); ++at) {
                listed = listed || std::memcmp(answer.data() + at, &system, sizeof system) == 0;
            }
            EXPECT_TRUE(listed) << std::hex << system.Data1;
        }
    }
}

TEST(ProgramManifest, WindowsAreDrawnPerMonitorAtTheScreensOwnScale) {
    for (const wchar_t* name : kPrograms) {
        SCOPED_TRACE(std::filesystem::path(name).string());
        ManifestContext manifest(name);
        HANDLE context = manifest.handle;
        ASSERT_NE(context, INVALID_HANDLE_VALUE) << ::GetLastError();
        const wchar_t* const settings[][3] = {
            {L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware", L"true/pm"},
            {L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness",
             L"PerMonitorV2, PerMonitor"},
        };
        for (const auto& setting : settings) {
            wchar_t value[64] = {};
            SIZE_T written = 0;
            EXPECT_TRUE(::QueryActCtxSettingsW(0, context, setting[0], setting[1], value,
                                               std::size(value), &written))
                << ::GetLastError();
            EXPECT_EQ(std::wstring(value), setting[2]);
        }
    }
}

// What Explorer shows in a program's properties (and Task Manager as its name).
std::wstring VersionText(const std::filesystem::path& program, const wchar_t* name) {
    DWORD ignored = 0;
    DWORD size = ::GetFileVersionInfoSizeW(program.c_str(), &ignored);
    std::vector<BYTE> block(size);
    if (size == 0 || !::GetFileVersionInfoW(program.c_str(), 0, size, block.data())) {
        return L"(no version resource)";
    }
    void* value = nullptr;
    UINT length = 0;
    std::wstring key = std::wstring(L"\\StringFileInfo\\041104B0\\") + name;
    if (!::VerQueryValueW(block.data(), key.c_str(), &value, &length) || length == 0) {
        return L"(missing)";
    }
    return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

TEST(ProgramResources, VersionNamesProductProgramAndVersionInJapanese) {
    for (const wchar_t* name : kPrograms) {
        std::filesystem::path program = ProgramPath(name);
        SCOPED_TRACE(program.filename().string());
        EXPECT_EQ(VersionText(program, L"ProductName"), L"Kestrove");
        EXPECT_EQ(VersionText(program, L"FileDescription"), program.stem().wstring());
        EXPECT_EQ(VersionText(program, L"OriginalFilename"), program.filename().wstring());
        EXPECT_EQ(VersionText(program, L"FileVersion"), L"2.0.0");
    }
}

BOOL CALLBACK AddGroup(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR sizes) {
    HRSRC found = ::FindResourceW(module, name, type);
    HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    if (loaded == nullptr) {
        return TRUE;
    }
    // GRPICONDIR: reserved, type, count, then 14-byte entries starting with width and height
    // (0 stands for 256).
    const auto* bytes = static_cast<const BYTE*>(::LockResource(loaded));
    DWORD length = ::SizeofResource(module, found);
    WORD count = 0;
    std::memcpy(&count, bytes + 4, sizeof count);
    for (WORD i = 0; i < count && 6u + 14u * (i + 1u) <= length; ++i) {
        int width = bytes[6 + 14 * i];
        reinterpret_cast<std::vector<int>*>(sizes)->push_back(width == 0 ? 256 : width);
    }
    return TRUE;
}

TEST(ProgramResources, WindowedProgramsCarryTheirIconInEverySizeWindowsShows) {
    for (const wchar_t* name : kWindowPrograms) {
        SCOPED_TRACE(std::filesystem::path(name).string());
        DataFile exe(ProgramPath(name));
        ASSERT_NE(exe.module, nullptr) << ::GetLastError();
        std::vector<int> sizes;
        ::EnumResourceNamesW(exe.module, RT_GROUP_ICON, &AddGroup,
                             reinterpret_cast<LONG_PTR>(&sizes));
        for (int wanted : {16, 20, 24, 32, 40, 48, 64, 256}) {
            EXPECT_NE(std::find(sizes.begin(), sizes.end(), wanted), sizes.end()) << wanted;
        }
        // The icon Explorer and the taskbar take: the first group, loadable as an icon.
        HICON icon = static_cast<HICON>(
            ::LoadImageW(exe.module, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
        EXPECT_NE(icon, nullptr) << ::GetLastError();
        if (icon != nullptr) {
            ::DestroyIcon(icon);
        }
    }
}

}  // namespace
}  // namespace kestrove
