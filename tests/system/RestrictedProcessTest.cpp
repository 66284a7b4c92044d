#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: sddl.h needs its types.
#include <sddl.h>

#include <vector>

#include "system/ProcessFolders.h"
#include "system/RestrictedProcess.h"
#include "system/SystemEnvironment.h"

namespace {

// Which of the four token calls fails (1 to 4; 0: none); what the second and third were
// given. Wine takes both and keeps neither (the process keeps its privileges and reads high):
// the process's own are checked on Windows (README).
int g_failing = 0, g_calls = 0;
DWORD g_flags = 0;
std::wstring g_label;

BOOL WINAPI OpenToken(HANDLE process, DWORD access, PHANDLE token) {
    return ++g_calls != g_failing && ::OpenProcessToken(process, access, token);
}
BOOL WINAPI Restrict(HANDLE token, DWORD flags, DWORD disableCount, PSID_AND_ATTRIBUTES disable,
                     DWORD deleteCount, PLUID_AND_ATTRIBUTES privileges, DWORD restrictCount,
                     PSID_AND_ATTRIBUTES restrictSids, PHANDLE restricted) {
    g_flags = flags;
    return ++g_calls != g_failing &&
           ::CreateRestrictedToken(token, flags, disableCount, disable, deleteCount, privileges,
                                   restrictCount, restrictSids, restricted);
}
BOOL WINAPI Label(HANDLE token, TOKEN_INFORMATION_CLASS what, LPVOID information, DWORD size) {
    LPWSTR text = nullptr;
    if (what == TokenIntegrityLevel &&
        ::ConvertSidToStringSidW(static_cast<TOKEN_MANDATORY_LABEL*>(information)->Label.Sid,
                                 &text)) {
        g_label = text;
        ::LocalFree(text);
    }
    return ++g_calls != g_failing && ::SetTokenInformation(token, what, information, size);
}
BOOL WINAPI Start(HANDLE token, LPCWSTR program, LPWSTR commandLine, LPSECURITY_ATTRIBUTES process,
                  LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                  LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION started) {
    return ++g_calls != g_failing &&
           ::CreateProcessAsUserW(token, program, commandLine, process, thread, inherit, flags,
                                  environment, folder, startup, started);
}

SuspendedProcess StartExit7(int failing) {
    g_failing = failing;
    g_calls = 0;
    return StartRestrictedSuspended(SystemDirectory() + L"\\cmd.exe", L"cmd /D /C exit 7",
                                    SystemDirectory(), CREATE_NO_WINDOW, SystemEnvironmentBlock(),
                                    {&OpenToken, &Restrict, &Label, &Start});
}

// The interpreter runs as a standard user would: Administrators for deny only, no privilege
// but the one every process has, medium integrity; it runs only once let go, and no step's
// failure starts it.
TEST(RestrictedProcess, RunsWithAStandardUsersRightsOnlyWhenEveryStepSucceeds) {
    for (int failing = 1; failing <= 4; ++failing) {
        EXPECT_FALSE(StartExit7(failing)) << "call " << failing << " failed";
    }
    SuspendedProcess started = StartExit7(0);
    ASSERT_TRUE(started);
    EXPECT_EQ(static_cast<DWORD>(DISABLE_MAX_PRIVILEGE), g_flags);
    EXPECT_EQ(L"S-1-16-8192", g_label);
    HANDLE token = nullptr;
    ASSERT_TRUE(::OpenProcessToken(started.process.Get(), TOKEN_QUERY, &token));
    std::vector<BYTE> groups(8192);
    DWORD size = 0;
    EXPECT_TRUE(::GetTokenInformation(token, TokenGroups, groups.data(),
                                      static_cast<DWORD>(groups.size()), &size));
    ::CloseHandle(token);
    const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
    DWORD admins = 0;
    for (DWORD i = 0; i < list->GroupCount; ++i) {
        if (::IsWellKnownSid(list->Groups[i].Sid, WinBuiltinAdministratorsSid)) {
            admins = list->Groups[i].Attributes;
        }
    }
    EXPECT_TRUE(admins & SE_GROUP_USE_FOR_DENY_ONLY);

    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), ::WaitForSingleObject(started.process.Get(), 300))
        << "it ran before it was let go";
    ::ResumeThread(started.thread.Get());
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0),
              ::WaitForSingleObject(started.process.Get(), 10000));
    DWORD exitCode = 0;
    ::GetExitCodeProcess(started.process.Get(), &exitCode);
    EXPECT_EQ(7u, exitCode);
}

}  // namespace
