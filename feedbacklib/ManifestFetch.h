#pragma once
// Fetches the update manifest on a thread of its own, so that a caller on the user
// interface thread waits only as long as it chooses.

#include <windows.h>

#include <memory>
#include <string>

#include "HttpGet.h"
#include "win/CriticalSection.h"
#include "win/UniqueHandle.h"

class ManifestFetch {
public:
    // Starts fetching `address`. The fetching thread keeps this module loaded until it
    // ends, so the library may be freed while a request still hangs.
    static std::shared_ptr<ManifestFetch> Start(const std::wstring& address);

    ManifestFetch();
    ManifestFetch(const ManifestFetch&) = delete;
    ManifestFetch& operator=(const ManifestFetch&) = delete;

    // Waits up to `timeoutMs` for the answer. False when it has not come by then.
    bool WaitFor(DWORD timeoutMs, HttpAnswer& answer) const;

private:
    struct Job;
    static DWORD WINAPI ThreadMain(void* job);
    static HMODULE Run(Job* job);
    void Finish(const HttpAnswer& answer);

    win::UniqueKernelHandle m_done;
    mutable CCriticalSection m_lock;
    HttpAnswer m_answer;
};
