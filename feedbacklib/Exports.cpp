// The library's exported entry points. Each one stops every exception here: nothing but
// a plain result crosses back into the caller.

#include <windows.h>

#include <ctime>
#include <memory>
#include <string>

#include "AnswerFile.h"
#include "HarvaneFeedbackInformation.h"
#include "LibraryConfig.h"
#include "ManifestFetch.h"
#include "PageOpener.h"
#include "UpdateCheck.h"
#include "WebAddress.h"

namespace {

// The update check is made on the tool's user-interface thread: never hold it longer.
const DWORD kNetworkWaitMs = 2000;

// What one initialisation set up: the addresses and the manifest being fetched.
struct Session {
    LibraryConfig config;
    std::shared_ptr<ManifestFetch> manifest;
};

CCriticalSection g_sessionLock;
std::shared_ptr<const Session> g_session;

std::shared_ptr<const Session> NewSession(const LibraryConfig& config, bool withManifest) {
    auto session = std::make_shared<Session>();
    session->config = config;
    if (withManifest) session->manifest = ManifestFetch::Start(config.updateManifest);
    return session;
}

// The session of the last initialisation. A call before any initialisation reads the
// configuration then, and starts fetching the manifest only when it needs it.
std::shared_ptr<const Session> CurrentSession(bool withManifest) {
    CSingleLock lock(g_sessionLock);
    if (!g_session || (withManifest && !g_session->manifest)) {
        g_session = NewSession(g_session ? g_session->config : LoadLibraryConfig(), withManifest);
    }
    return g_session;
}

// The body's result as the exports give it: a bool as 1 or 0, an int as it is.
template <typename Body>
int Guarded(Body body) {
    try {
        return static_cast<int>(body());
    } catch (...) {
        return 0;
    }
}

bool HasText(const wchar_t* text) { return text != nullptr && text[0] != L'\0'; }

int CheckForUpdate(const wchar_t* toolId, const wchar_t* version, bool openDownloadPage) {
    if (!HasText(toolId) || !HasText(version)) return TOOL_VERSION_INVALID_ARGUMENT;
    const auto session = CurrentSession(true);
    HttpAnswer answer;
    if (!session->manifest->WaitFor(kNetworkWaitMs, answer)) return TOOL_VERSION_UNKNOWN;
    const int result = JudgeUpdate(answer, toolId, version);
    if (result == TOOL_VERSION_NEWER && openDownloadPage) {
        OpenWebPage(session->config.downloadPage);
    }
    return result;
}

}  // namespace

int WINAPI InitFreedbackDll(ToolInfo* info) {
    if (info == nullptr) return 0;
    return Guarded([info] {
        const auto session = NewSession(LoadLibraryConfig(), true);
        {
            CSingleLock lock(g_sessionLock);
            g_session = session;
        }
        FillToolInfo(session->config, *info);
        return 1;
    });
}

int WINAPI FeedbackQuestion(const wchar_t* toolId, const wchar_t* version) {
    if (toolId == nullptr || version == nullptr) return 0;
    return Guarded([=] {
        return OpenWebPage(
            WithToolQuery(CurrentSession(false)->config.feedbackPage, toolId, version));
    });
}

int WINAPI OpenUrl(BSTR address) {
    if (address == nullptr) return 0;
    return Guarded([address] {
        // The length prefix, not the terminator, says where a system string ends; an
        // address with a zero inside it is refused rather than cut short.
        const std::wstring text(address, ::SysStringLen(address));
        return text.find(L'\0') == std::wstring::npos && OpenWebPage(text);
    });
}

int WINAPI GetInterNetState(void) {
    return Guarded([] {
        HttpAnswer answer;
        const bool arrived = CurrentSession(true)->manifest->WaitFor(kNetworkWaitMs, answer);
        return arrived && answer.answered;
    });
}

int WINAPI CustomerFeedback(const wchar_t* toolId, const wchar_t* version, int answer) {
    if (toolId == nullptr || version == nullptr) return 0;
    return Guarded(
        [=] { return RecordAnswer(toolId, version, answer, std::to_wstring(_time64(nullptr))); });
}

int WINAPI CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* version, int answer,
                              const wchar_t* timeText) {
    if (toolId == nullptr || version == nullptr || timeText == nullptr) return 0;
    return Guarded([=] { return RecordAnswer(toolId, version, answer, timeText); });
}

int WINAPI WriteCustomerFeedbackInfoFile(void) {
    return Guarded([] { return EnsureFeedbackFile(); });
}

int WINAPI GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* version) {
    return Guarded([=] { return CheckForUpdate(toolId, version, false); });
}

int WINAPI GetToolIsNewVersionDown(const wchar_t* toolId, const wchar_t* version) {
    return Guarded([=] { return CheckForUpdate(toolId, version, true); });
}

int WINAPI OpenToolDownUrl(void) {
    return Guarded([] { return OpenWebPage(CurrentSession(false)->config.downloadPage); });
}

int WINAPI OpenUseAgreementUrl(void) {
    return Guarded([] { return OpenWebPage(CurrentSession(false)->config.agreementPage); });
}
