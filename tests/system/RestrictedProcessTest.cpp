#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: sddl.h needs its types.
#include <sddl.h>

#include <string>
#include <vector>

#include "system/ProcessFolders.h"
#include "system/RestrictedProcess.h"
#include "system/SystemEnvironment.h"

namespace {

// What the stand-ins for the token calls saw; `failing` names the call that fails (1 to 4).
struct Seen {
    int failing = 0;
    int calls = 0;
    bool adminsDenyOnly = false;
    DWORD restrictFlags = 0;
    HANDLE restricted = nullptr;
    std::wstring label;
    HANDLE startedWith = nullptr;
    DWORD startFlags = 0;
} g_seen;

bool FailsNow() { return ++g_seen.calls == g_seen.failing; }

BOOL WINAPI OpenToken(HANDLE process, DWORD access, PHANDLE token) {
    return !FailsNow() && ::OpenProcessToken(process, access, token);
}

BOOL WINAPI Restrict(HANDLE token, DWORD flags, DWORD disableCount, PSID_AND_ATTRIBUTES disable,
                     DWORD deleteCount, PLUID_AND_ATTRIBUTES privileges, DWORD restrictCount,
                     PSID_AND_ATTRIBUTES restrictSids, PHANDLE restricted) {
    if (FailsNow()) return FALSE;
    g_seen.restrictFlags = flags;
    g_seen.adminsDenyOnly =
        disableCount == 1 && ::IsWellKnownSid(disable[0].Sid, WinBuiltinAdministratorsSid);
    const BOOL made = ::CreateRestrictedToken(token, flags, disableCount, disable, deleteCount,
                                              privileges, restrictCount, restrictSids, restricted);
    g_seen.restricted = *restricted;
    return made;
}

std::wstring SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) return L"?";
    const std::wstring copy = text;
    ::LocalFree(text);
    return copy;
}

BOOL WINAPI Label(HANDLE token, TOKEN_INFORMATION_CLASS what, LPVOID information, DWORD size) {
    if (FailsNow()) return FALSE;
    if (what == TokenIntegrityLevel && token == g_seen.restricted) {
        g_seen.label = SidText(static_cast<TOKEN_MANDATORY_LABEL*>(information)->Label.Sid);
    }
    return ::SetTokenInformation(token, what, information, size);
}

BOOL WINAPI Start(HANDLE token, LPCWSTR program, LPWSTR commandLine, LPSECURITY_ATTRIBUTES process,
                  LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                  LPCWSTR folder, LPSTARTUPINFOW startup, LPPROCESS_INFORMATION started) {
    if (FailsNow()) return FALSE;
    g_seen.startedWith = token;
    g_seen.startFlags = flags;
    return ::CreateProcessAsUserW(token, program, commandLine, process, thread, inherit, flags,
                                  environment, folder, startup, started);
}

SuspendedProcess StartExit7() {
    const TokenCalls calls = {&OpenToken, &Restrict, &Label, &Start};
    return StartRestrictedSuspended(SystemDirectory() + L"\\cmd.exe", L"cmd /D /C exit 7",
                                    SystemDirectory(), CREATE_NO_WINDOW, SystemEnvironmentBlock(),
                                    calls);
}

// The interpreter runs as a standard user would: Administrators for deny only, medium
// integrity, no privileges; it runs only once let go, and no step's failure starts it.
TEST(RestrictedProcess, RunsWithAStandardUsersRightsOnlyWhenEveryStepSucceeds) {
    for (int failing = 1; failing <= 4; ++failing) {
        g_seen = Seen();
        g_seen.failing = failing;
        EXPECT_FALSE(StartExit7()) << "call " << failing << " failed";
    }
    g_seen = Seen();
    SuspendedProcess started = StartExit7();
    ASSERT_TRUE(started);
    EXPECT_TRUE(g_seen.adminsDenyOnly);
    EXPECT_EQ(static_cast<DWORD>(DISABLE_MAX_PRIVILEGE), g_seen.restrictFlags);
    EXPECT_EQ(L"S-1-16-8192", g_seen.label);
    EXPECT_EQ(g_seen.restricted, g_seen.startedWith);
    EXPECT_TRUE(g_seen.startFlags & CREATE_SUSPENDED);

    // The token the process really has. Wine accepts an integrity level and keeps none
    // (the process reads high): that part is checked on Windows only (README).
    HANDLE token = nullptr;
    ASSERT_TRUE(::OpenProcessToken(started.process.Get(), TOKEN_QUERY, &token));
    std::vector<BYTE> groups(8192);
    DWORD size = 0;
    EXPECT_TRUE(::GetTokenInformation(token, TokenGroups, groups.data(),
                                      static_cast<DWORD>(groups.size()), &size));
    ::CloseHandle(token);
    const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
    bool adminsDenyOnly = false;
    for (DWORD i = 0; i < list->GroupCount; ++i) {
        if (::IsWellKnownSid(list->Groups[i].Sid, WinBuiltinAdministratorsSid)) {
            adminsDenyOnly = (list->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) != 0;
        }
    }
    EXPECT_TRUE(adminsDenyOnly);

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
