#include "feedback/FeedbackLibrary.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>

#include "resource.h"
#include "system/ProcessFolders.h"
#include "system/RuntimeFunction.h"
#include "win/Bstr.h"

namespace {

const wchar_t kLibraryFileName[] = L"HarvaneFeedbackInformation.dll";
// The resource's marker ("OmbrelLibrarySHA256:", 20 bytes), then the 32 bytes of the hash.
const DWORD kHashResourceSize = 52;

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& entry) {
    entry = FunctionOf<Function>(module, name);
    return entry != nullptr;
}

// "C:\..." or "\\server\share\...": anything else would be looked up along the search path.
bool IsFullPath(const std::wstring& path) {
    if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return true;
    return path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
}

// The library's own imports come from the system folder only, where the platform can
// do that (Windows 7 with update KB2533623 and later): a DLL planted beside an elevated
// tool must not be loaded in their place.
HMODULE LoadByFullPath(const std::wstring& path) {
    using AddDllDirectoryFn = DLL_DIRECTORY_COOKIE(WINAPI*)(PCWSTR);
    if (KernelFunction<AddDllDirectoryFn>("AddDllDirectory") != nullptr) {
        return ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    return ::LoadLibraryW(path.c_str());
}

}  // namespace

bool ReadShippedLibraryHash(Sha256& hash) {
    HMODULE program = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(program, MAKEINTRESOURCEW(IDR_LIBRARY_HASH), RT_RCDATA);
    HGLOBAL loaded = resource != nullptr ? ::LoadResource(program, resource) : nullptr;
    const BYTE* bytes =
        loaded != nullptr ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    // A marker, then the hash.
    const DWORD size = resource != nullptr ? ::SizeofResource(program, resource) : 0;
    if (bytes == nullptr || size != kHashResourceSize) return false;
    std::copy(bytes + size - hash.size(), bytes + size, hash.begin());
    return true;
}

bool CFeedbackLibrary::Load(const Sha256& expected) {
    const std::wstring directory = ProgramDirectory();
    return !directory.empty() && Load(directory, expected);
}

bool CFeedbackLibrary::Load(const std::wstring& directory, const Sha256& expected) {
    Free();
    if (!IsFullPath(directory)) return false;
    const std::wstring path = directory + L"\\" + kLibraryFileName;
    // Held without write or delete sharing until it is loaded: the file checked is the
    // file loaded.
    const win::UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    Sha256 actual = {};
    if (!file || !Sha256OfFile(file.Get(), actual) || actual != expected) return false;
    win::UniqueModule module(LoadByFullPath(path));
    EntryPoints entries;
    if (!module || !ResolveAll(module.Get(), entries)) return false;
    m_module = std::move(module);
    m_entries = entries;
    return true;
}

void CFeedbackLibrary::Free() {
    m_entries = EntryPoints();
    m_module.Reset();
}

bool CFeedbackLibrary::ResolveAll(HMODULE module, EntryPoints& entries) {
    // In this order; the first missing name fails the load.
    return Resolve(module, "InitFreedbackDll", entries.initFreedbackDll) &&
           Resolve(module, "FeedbackQuestion", entries.feedbackQuestion) &&
           Resolve(module, "OpenUrl", entries.openUrl) &&
           Resolve(module, "GetInterNetState", entries.getInterNetState) &&
           Resolve(module, "CustomerFeedback", entries.customerFeedback) &&
           Resolve(module, "CustomerFeedbackEx", entries.customerFeedbackEx) &&
           Resolve(module, "WriteCustomerFeedbackInfoFile",
                   entries.writeCustomerFeedbackInfoFile) &&
           Resolve(module, "GetToolIsNewVersion", entries.getToolIsNewVersion) &&
           Resolve(module, "GetToolIsNewVersionDown", entries.getToolIsNewVersionDown) &&
           Resolve(module, "OpenToolDownUrl", entries.openToolDownUrl) &&
           Resolve(module, "OpenUseAgreementUrl", entries.openUseAgreementUrl);
}

int CFeedbackLibrary::InitFreedbackDll(ToolInfo* info) {
    return m_entries.initFreedbackDll ? m_entries.initFreedbackDll(info) : 0;
}

int CFeedbackLibrary::FeedbackQuestion(const wchar_t* toolId, const wchar_t* version) {
    return m_entries.feedbackQuestion ? m_entries.feedbackQuestion(toolId, version) : 0;
}

int CFeedbackLibrary::CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* version, int answer,
                                         const wchar_t* timeText) {
    return m_entries.customerFeedbackEx
               ? m_entries.customerFeedbackEx(toolId, version, answer, timeText)
               : 0;
}

int CFeedbackLibrary::OpenUrl(BSTR address) {
    return m_entries.openUrl ? m_entries.openUrl(address) : 0;
}

int CFeedbackLibrary::OpenRecordAddress(const wchar_t (&field)[TOOL_INFO_CHARS]) {
    const win::UniqueBstr address = win::MakeBstr(field, wcsnlen(field, TOOL_INFO_CHARS));
    return address ? OpenUrl(address.Get()) : 0;
}

int CFeedbackLibrary::GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* version) {
    return m_entries.getToolIsNewVersion ? m_entries.getToolIsNewVersion(toolId, version) : 0;
}

int CFeedbackLibrary::OpenToolDownUrl() {
    return m_entries.openToolDownUrl ? m_entries.openToolDownUrl() : 0;
}

int CFeedbackLibrary::OpenUseAgreementUrl() {
    return m_entries.openUseAgreementUrl ? m_entries.openUseAgreementUrl() : 0;
}
