#pragma once
// The tool's binding to the maker's feedback library: loads it by full path from one
// folder, resolves its eleven entry points and offers the seven the tool calls. Every call
// on an unloaded binding does nothing and returns 0.

#include <string>

#include "HarvaneFeedbackInformation.h"
#include "system/FileHash.h"
#include "win/UniqueHandle.h"

// The SHA-256 of the library shipped with the program, from the program's resource;
// false when the program carries none.
bool ReadShippedLibraryHash(Sha256& hash);

class CFeedbackLibrary {
public:
    CFeedbackLibrary() = default;
    ~CFeedbackLibrary() = default;  // frees the module
    CFeedbackLibrary(const CFeedbackLibrary&) = delete;
    CFeedbackLibrary& operator=(const CFeedbackLibrary&) = delete;

    // Loads the library from the folder of the program's own file, only when its SHA-256 is
    // `expected`: a library planted in the tool's folder must never run in the elevated
    // process. False when the file is missing, is another file, or lacks an entry point.
    bool Load(const Sha256& expected);
    // The same from `directory`, which must be a full path; never from the search path.
    bool Load(const std::wstring& directory, const Sha256& expected);
    void Free();
    // Gives the module up without freeing it: a call still running inside it must be able
    // to return. The entry points stay usable.
    void LeaveLoaded() { m_module.Release(); }
    bool IsLoaded() const { return m_module.IsValid(); }

    int InitFreedbackDll(ToolInfo* info);
    int FeedbackQuestion(const wchar_t* toolId, const wchar_t* version);
    int CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* version, int answer,
                           const wchar_t* timeText);
    // The caller keeps ownership of `address` and frees it after the call.
    int OpenUrl(BSTR address);
    // OpenUrl with an address from the record the library filled, read no further than
    // the field's end: the library is not trusted to end its fields.
    int OpenRecordAddress(const wchar_t (&field)[TOOL_INFO_CHARS]);
    int GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* version);
    // That entry point itself, for a thread that may outlive this binding (null when not
    // loaded); the module must then be left loaded while it runs.
    decltype(&::GetToolIsNewVersion) NewVersionEntry() const {
        return m_entries.getToolIsNewVersion;
    }
    int OpenToolDownUrl();
    int OpenUseAgreementUrl();

private:
    // Typed from the shared header's declarations, so the two sides cannot drift apart.
    struct EntryPoints {
        decltype(&::InitFreedbackDll) initFreedbackDll = nullptr;
        decltype(&::FeedbackQuestion) feedbackQuestion = nullptr;
        decltype(&::OpenUrl) openUrl = nullptr;
        decltype(&::GetInterNetState) getInterNetState = nullptr;
        decltype(&::CustomerFeedback) customerFeedback = nullptr;
        decltype(&::CustomerFeedbackEx) customerFeedbackEx = nullptr;
        decltype(&::WriteCustomerFeedbackInfoFile) writeCustomerFeedbackInfoFile = nullptr;
        decltype(&::GetToolIsNewVersion) getToolIsNewVersion = nullptr;
        decltype(&::GetToolIsNewVersionDown) getToolIsNewVersionDown = nullptr;
        decltype(&::OpenToolDownUrl) openToolDownUrl = nullptr;
        decltype(&::OpenUseAgreementUrl) openUseAgreementUrl = nullptr;
    };

    static bool ResolveAll(HMODULE module, EntryPoints& entries);

    win::UniqueModule m_module;
    EntryPoints m_entries;
};
