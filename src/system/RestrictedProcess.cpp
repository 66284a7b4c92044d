#include "system/RestrictedProcess.h"

namespace {

// S-1-16-8192: the medium mandatory level, that of a standard user's programs.
SID_IDENTIFIER_AUTHORITY kMandatoryLabel = SECURITY_MANDATORY_LABEL_AUTHORITY;

}  // namespace

SuspendedProcess StartRestrictedSuspended(const std::wstring& program, std::wstring commandLine,
                                          const std::wstring& folder, DWORD flags,
                                          std::wstring environment, const TokenCalls& calls) {
    SuspendedProcess started;
    win::UniqueKernelHandle own;
    if (!calls.openProcessToken(::GetCurrentProcess(),
                                TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, own.Put())) {
        return started;
    }
    BYTE admins[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof(admins);
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size)) return started;
    SID_AND_ATTRIBUTES denyOnly = {admins, 0};
    win::UniqueKernelHandle restricted;
    if (!calls.createRestrictedToken(own.Get(), DISABLE_MAX_PRIVILEGE, 1, &denyOnly, 0, nullptr, 0,
                                     nullptr, restricted.Put())) {
        return started;
    }
    BYTE medium[SECURITY_MAX_SID_SIZE];
    ::InitializeSid(medium, &kMandatoryLabel, 1);
    *::GetSidSubAuthority(medium, 0) = SECURITY_MANDATORY_MEDIUM_RID;
    TOKEN_MANDATORY_LABEL label = {{medium, SE_GROUP_INTEGRITY}};
    if (!calls.setTokenInformation(restricted.Get(), TokenIntegrityLevel, &label,
                                   static_cast<DWORD>(sizeof(label) + ::GetLengthSid(medium)))) {
        return started;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!calls.createProcessAsUser(restricted.Get(), program.c_str(), &commandLine[0], nullptr,
                                   nullptr, FALSE,
                                   flags | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT,
                                   &environment[0], folder.c_str(), &startup, &process)) {
        return started;
    }
    started.process.Reset(process.hProcess);
    started.thread.Reset(process.hThread);
    return started;
}
