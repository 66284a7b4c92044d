#pragma once
// Starts a program, suspended, with a restricted copy of this process's token: the
// Administrators group for deny only, no privileges but the one every process has, and
// medium integrity. Whatever the program then does, a standard user could do as well. A
// restricted copy of one's own token needs no privilege.

#include <windows.h>

#include <string>

#include "win/UniqueHandle.h"

// The system calls it makes, in their order; tests hand in stand-ins to watch the
// arguments and to fail any one of them.
struct TokenCalls {
    decltype(&::OpenProcessToken) openProcessToken = &::OpenProcessToken;
    decltype(&::CreateRestrictedToken) createRestrictedToken = &::CreateRestrictedToken;
    decltype(&::SetTokenInformation) setTokenInformation = &::SetTokenInformation;
    decltype(&::CreateProcessAsUserW) createProcessAsUser = &::CreateProcessAsUserW;
};

struct SuspendedProcess {
    win::UniqueKernelHandle process;
    win::UniqueKernelHandle thread;  // resume it to let the program run
    explicit operator bool() const { return process.IsValid() && thread.IsValid(); }
};

// `program` by full path with `commandLine`, in `folder`, with the Unicode environment block
// `environment` and `flags` besides CREATE_SUSPENDED; empty when any step fails.
SuspendedProcess StartRestrictedSuspended(const std::wstring& program, std::wstring commandLine,
                                          const std::wstring& folder, DWORD flags,
                                          std::wstring environment,
                                          const TokenCalls& calls = TokenCalls());
