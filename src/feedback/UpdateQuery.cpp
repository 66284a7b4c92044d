#include "feedback/UpdateQuery.h"

#include <memory>

#include "feedback/ToolIdentity.h"

namespace {

// The library gives up on its update server after about 2 s.
const DWORD kQueryBoundMs = 2500;

// The thread's own copy of what it needs, the entry point included: the query may outlive
// the panel and its binding, and must never read them.
struct QueryRequest {
    decltype(&::GetToolIsNewVersion) query;
    HWND target;
    UINT message;
};

DWORD WINAPI RunQuery(LPVOID param) {
    std::unique_ptr<QueryRequest> request(static_cast<QueryRequest*>(param));
    const int answer = request->query(kToolId, kToolVersion);
    ::PostMessageW(request->target, request->message, static_cast<WPARAM>(answer), 0);
    return 1;
}

}  // namespace

bool CUpdateQuery::Start(const CFeedbackLibrary& library, HWND target, UINT message) {
    if (!Wait() || library.NewVersionEntry() == nullptr) return false;  // one at a time
    auto request =
        std::make_unique<QueryRequest>(QueryRequest{library.NewVersionEntry(), target, message});
    m_thread.Reset(::CreateThread(nullptr, 0, &RunQuery, request.get(), 0, nullptr));
    if (!m_thread) return false;
    request.release();  // the thread owns it now
    return true;
}

bool CUpdateQuery::Wait() {
    if (!m_thread) return true;
    if (::WaitForSingleObject(m_thread.Get(), kQueryBoundMs) != WAIT_OBJECT_0) return false;
    m_thread.Reset();
    return true;
}
