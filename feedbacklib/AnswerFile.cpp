#include "AnswerFile.h"

#include <shlobj.h>
#include <windows.h>

#include "HarvaneFeedbackInformation.h"
#include "TextFile.h"
#include "system/ProtectedFolder.h"

namespace {

std::wstring CommonFolder() {
    wchar_t common[MAX_PATH] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, common, CSIDL_COMMON_APPDATA, FALSE)) {
        return std::wstring();
    }
    return common;
}

std::wstring SingleLine(std::wstring text) {
    for (wchar_t& c : text) {
        if (c < L' ' || c == 0x7F) c = L' ';
    }
    return text;
}

// The answer file, opened to append to it, folder and file created when missing. Invalid
// when the folder may have been planted by someone else or the file leads elsewhere.
win::UniqueFile OpenFeedbackFile() {
    const std::wstring common = CommonFolder();
    if (common.empty()) return win::UniqueFile();
    const std::wstring folder = common + L"\\HarvaneFeedback";
    CreateProtectedFolder(folder);
    const CNewFileOwner ownFileOwner(common);
    return CProtectedFolder(folder, ownFileOwner.Get()).OpenForAppend(L"CustomerFeedback.txt");
}

}  // namespace

bool EnsureFeedbackFile() { return OpenFeedbackFile().IsValid(); }

bool RecordAnswer(const std::wstring& toolId, const std::wstring& version, int answer,
                  const std::wstring& timeText) {
    if (answer < FEEDBACK_ANSWER_SOLVED || answer > FEEDBACK_ANSWER_CLOSED) return false;
    win::UniqueFile file = OpenFeedbackFile();
    if (!file) return false;
    const std::wstring line = L"tool=" + SingleLine(toolId) + L"\tversion=" + SingleLine(version) +
                              L"\tanswer=" + std::to_wstring(answer) + L"\ttime=" +
                              SingleLine(timeText);
    return WriteUtf8Line(file.Get(), line);
}
