#include "AnswerFile.h"

#include <shlobj.h>
#include <windows.h>

#include "HarvaneFeedbackInformation.h"
#include "TextFile.h"

namespace {

std::wstring FeedbackFolder() {
    wchar_t common[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, FALSE)) {
        return std::wstring();
    }
    return std::wstring(common) + L"\\HarvaneFeedback";
}

std::wstring SingleLine(std::wstring text) {
    for (wchar_t& c : text) {
        if (c < L' ' || c == 0x7F) c = L' ';
    }
    return text;
}

}  // namespace

std::wstring FeedbackFilePath() {
    const std::wstring folder = FeedbackFolder();
    return folder.empty() ? std::wstring() : folder + L"\\CustomerFeedback.txt";
}

int EnsureFeedbackFile() {
    const std::wstring folder = FeedbackFolder();
    if (folder.empty()) return 0;
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        return 0;
    }
    return CanAppendTo(FeedbackFilePath()) ? 1 : 0;
}

int RecordAnswer(const std::wstring& toolId, const std::wstring& version, int answer,
                 const std::wstring& timeText) {
    if (answer < FEEDBACK_ANSWER_SOLVED || answer > FEEDBACK_ANSWER_CLOSED) return 0;
    if (!EnsureFeedbackFile()) return 0;
    const std::wstring line = L"tool=" + SingleLine(toolId) + L"\tversion=" + SingleLine(version) +
                              L"\tanswer=" + std::to_wstring(answer) + L"\ttime=" +
                              SingleLine(timeText);
    return AppendUtf8Line(FeedbackFilePath(), line) ? 1 : 0;
}
