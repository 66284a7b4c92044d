#include "LibraryConfig.h"

#include <windows.h>

#include <cwchar>

namespace {

const wchar_t kConfigFileName[] = L"HarvaneFeedbackInformation.ini";
const wchar_t kAddressSection[] = L"Addresses";

struct AddressKey {
    const wchar_t* name;
    const wchar_t* fallback;
    std::wstring LibraryConfig::*field;
};

const AddressKey kAddressKeys[] = {
    {L"Home", L"https://www.harvane.example/", &LibraryConfig::homePage},
    {L"Feedback", L"https://www.harvane.example/feedback", &LibraryConfig::feedbackPage},
    {L"Agreement", L"https://www.harvane.example/agreement", &LibraryConfig::agreementPage},
    {L"MoreTools", L"https://www.harvane.example/tools", &LibraryConfig::moreToolsPage},
    {L"MoreSolutions", L"https://www.harvane.example/solutions", &LibraryConfig::moreSolutionsPage},
    {L"Download", L"https://www.harvane.example/download", &LibraryConfig::downloadPage},
    {L"UpdateManifest", L"https://www.harvane.example/update/versions.txt",
     &LibraryConfig::updateManifest},
};

// The value of `key`, or empty when it is missing, empty or does not fit the record.
std::wstring ReadValue(const std::wstring& iniPath, const wchar_t* section, const wchar_t* key) {
    // One character more than the record holds, so that a value too long shows.
    wchar_t value[TOOL_INFO_CHARS + 1] = {};
    const DWORD length =
        ::GetPrivateProfileStringW(section, key, L"", value, TOOL_INFO_CHARS + 1, iniPath.c_str());
    if (length >= TOOL_INFO_CHARS) return std::wstring();
    return std::wstring(value, length);
}

std::wstring ThisModuleFolder() {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCWSTR>(&ThisModuleFolder), &module)) {
        return std::wstring();
    }
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring folder(path, length);
    return folder.substr(0, folder.rfind(L'\\'));
}

void CopyField(const std::wstring& value, wchar_t (&field)[TOOL_INFO_CHARS]) {
    const size_t count = value.size() < TOOL_INFO_CHARS ? value.size() : TOOL_INFO_CHARS - 1;
    std::wmemcpy(field, value.c_str(), count);
    field[count] = L'\0';
}

}  // namespace

LibraryConfig LoadLibraryConfig() {
    const std::wstring folder = ThisModuleFolder();
    // Without our own folder there is no file to read: the defaults apply.
    return ReadLibraryConfig(folder.empty() ? std::wstring() : folder + L"\\" + kConfigFileName);
}

LibraryConfig ReadLibraryConfig(const std::wstring& iniPath) {
    LibraryConfig config;
    for (const AddressKey& key : kAddressKeys) {
        std::wstring value =
            iniPath.empty() ? std::wstring() : ReadValue(iniPath, kAddressSection, key.name);
        config.*key.field = value.empty() ? key.fallback : value;
    }
    return config;
}

void FillToolInfo(const LibraryConfig& config, ToolInfo& info) {
    CopyField(config.homePage, info.homePage);
    CopyField(config.feedbackPage, info.feedbackPage);
    CopyField(config.agreementPage, info.agreementPage);
    CopyField(config.moreToolsPage, info.moreToolsPage);
    CopyField(config.moreSolutionsPage, info.moreSolutionsPage);
    CopyField(config.downloadPage, info.downloadPage);
}
