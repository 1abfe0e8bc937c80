// Every Windows program we ship carries one application manifest, as the loader reads it: the
// program is loaded as a data file, its RT_MANIFEST resources listed, and the manifest handed to
// the system's own parser (an activation context), which tells the run level and the systems.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

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

// The programs of the Windows build, in the program folder beside this test's folder.
const wchar_t* const kPrograms[] = {L"Meshprobe.exe"};

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
        std::wstring path = ProgramPath(name).wstring();
        ACTCTXW request{};
        request.cbSize = sizeof request;
        request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        request.lpSource = path.c_str();
        request.lpResourceName = MAKEINTRESOURCEW(1);
        HANDLE context = ::CreateActCtxW(&request);
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
        ::ReleaseActCtx(context);
    }
}

}  // namespace
}  // namespace kestrove
