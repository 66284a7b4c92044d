#include "log/LogSave.h"

#include <shlobj.h>
#include <windows.h>

#include <cwchar>

#include "log/LogSaveCloseFile.h"
#include "system/ProtectedFolder.h"

CLogSave* CLogSave::GetInstance() {
    static CLogSave instance(GetBasePath());
    return &instance;
}

CLogSave::CLogSave(const std::wstring& baseFolder) {
    m_strPath = baseFolder + L"ToolLog";
    CreateProtectedFolder(m_strPath);  // a failure shows up as dropped lines
    m_strPath += L"\\";
    // Anyone may create a file there: only one of a trusted owner is read, and it is held
    // unchanged while it is.
    CNewFileOwner ownFileOwner(baseFolder);
    const std::wstring config = baseFolder + L"logCfg.ini";
    const win::UniqueFile trusted = OpenTrustedFile(config, ownFileOwner.Get());
    const std::wstring value = trusted ? ReadConfig(config, L"Log", L"print", L"-1") : L"-1";
    m_bPrint = _wtoi(value.c_str()) == 1;
    m_pLogBase = std::make_unique<CLogSaveCloseFile>(m_strPath, std::move(ownFileOwner));
}

CLogSave::~CLogSave() = default;

void CLogSave::WriteLog(std::string text, std::string fileName, bool always) {
    if ((always || m_bPrint) && m_pLogBase) m_pLogBase->SaveText(text, fileName);
}

std::wstring CLogSave::GetBasePath() {
    wchar_t folder[1024] = {};
    if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_COMMON_APPDATA, FALSE)) {
        return std::wstring();
    }
    return std::wstring(folder) + L"\\";
}

std::wstring CLogSave::ReadConfig(const std::wstring& file, const wchar_t* section,
                                  const wchar_t* key, const wchar_t* defaultValue) {
    wchar_t value[100] = {};
    ::GetPrivateProfileStringW(section, key, defaultValue, value, 100, file.c_str());
    std::wstring text(value);
    const wchar_t* blanks = L" \t\r\n";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos) return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}
