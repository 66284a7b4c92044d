// What Windows reads from the tool's manifest, seen from this program, which carries the
// same resources: the level it asks to run at, DPI awareness, and the Windows version a
// program is told with and without the manifest.

#include <gtest/gtest.h>
#include <process.h>
#include <windows.h>

#include <string>

#include "support/TestFiles.h"

namespace {

TEST(Manifest, AsksForAdministratorAndIsDpiAware) {
    // A null context is the process's default one, made from its manifest.
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    ASSERT_TRUE(::QueryActCtxW(0, nullptr, nullptr, RunlevelInformationInActivationContext, &level,
                               sizeof level, nullptr));
    EXPECT_EQ(ACTCTX_RUN_LEVEL_REQUIRE_ADMIN, level.RunLevel);
    EXPECT_FALSE(level.UiAccess);
    wchar_t dpiAware[8] = {};
    ASSERT_TRUE(::QueryActCtxSettingsW(0, nullptr,
                                       L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                       L"dpiAware", dpiAware, 8, nullptr));
    EXPECT_STREQ(L"true", dpiAware);
}

// Without its supported systems in the manifest, a program on Windows 8.1 or 10 is told 6.2.
TEST(Manifest, ProgramIsToldTheRealWindowsVersion) {
    if (!::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        GTEST_SKIP() << "needs Wine's per-program Windows version";
    }
    struct Case {
        const wchar_t* system;  // as Wine's per-program setting names it
        int withManifest;       // major * 100 + minor
        int without;
    } cases[] = {{L"win10", 1000, 602}, {L"win81", 603, 602}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.withManifest);
        int told[2] = {};
        for (int bare = 0; bare < 2; ++bare) {
            const std::wstring name = bare ? L"version_probe_bare.exe" : L"version_probe.exe";
            const std::wstring key = L"Software\\Wine\\AppDefaults\\" + name;
            const DWORD bytes = static_cast<DWORD>((wcslen(c.system) + 1) * sizeof(wchar_t));
            ASSERT_EQ(ERROR_SUCCESS, ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Version",
                                                       REG_SZ, c.system, bytes));
            const std::wstring path = test::ProgramDirectory() + L"\\" + name;
            told[bare] = static_cast<int>(_wspawnl(_P_WAIT, path.c_str(), path.c_str(), nullptr));
            ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
        }
        EXPECT_EQ(c.withManifest, told[0]);
        EXPECT_EQ(c.without, told[1]);
    }
}

}  // namespace
