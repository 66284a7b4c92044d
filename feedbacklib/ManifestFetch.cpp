#include "ManifestFetch.h"

namespace {

// WinHTTP's own limit per step; the callers' bounded wait is what really holds.
const DWORD kRequestTimeoutMs = 5000;

}  // namespace

struct ManifestFetch::Job {
    std::shared_ptr<ManifestFetch> fetch;
    std::wstring address;
    HMODULE pinnedModule;
};

ManifestFetch::ManifestFetch() : m_done(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

std::shared_ptr<ManifestFetch> ManifestFetch::Start(const std::wstring& address) {
    auto fetch = std::make_shared<ManifestFetch>();
    win::UniqueModule pin;
    if (!fetch->m_done ||
        !::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                              reinterpret_cast<LPCWSTR>(&ManifestFetch::ThreadMain), pin.Put())) {
        fetch->Finish(HttpAnswer());
        return fetch;
    }
    auto job = std::make_unique<Job>(Job{fetch, address, pin.Get()});
    win::UniqueKernelHandle thread(
        ::CreateThread(nullptr, 0, &ManifestFetch::ThreadMain, job.get(), 0, nullptr));
    if (!thread) {
        fetch->Finish(HttpAnswer());
        return fetch;
    }
    // The thread owns both now; it lets the module go as it ends.
    job.release();
    pin.Release();
    return fetch;
}

DWORD WINAPI ManifestFetch::ThreadMain(void* job) {
    HMODULE pinned = Run(static_cast<Job*>(job));
    // Drops this thread's hold on the module and ends without returning into it.
    ::FreeLibraryAndExitThread(pinned, 0);
    return 0;
}

HMODULE ManifestFetch::Run(Job* rawJob) {
    std::unique_ptr<Job> job(rawJob);
    try {
        job->fetch->Finish(HttpGet(job->address, kRequestTimeoutMs));
    } catch (...) {
        job->fetch->Finish(HttpAnswer());
    }
    return job->pinnedModule;
}

void ManifestFetch::Finish(const HttpAnswer& answer) {
    {
        CSingleLock lock(m_lock);
        m_answer = answer;
    }
    ::SetEvent(m_done.Get());
}

bool ManifestFetch::WaitFor(DWORD timeoutMs, HttpAnswer& answer) const {
    if (!m_done || ::WaitForSingleObject(m_done.Get(), timeoutMs) != WAIT_OBJECT_0) return false;
    CSingleLock lock(m_lock);
    answer = m_answer;
    return true;
}
