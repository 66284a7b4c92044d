#pragma once
// The feedback library's entry points and the tool information record it fills. Included
// by the library and by the tool; plain C types only, so no C++ object crosses the
// boundary and either side may be built by another compiler.

#include <windows.h>
#include <wtypes.h>  // BSTR

#ifdef __cplusplus
extern "C" {
#endif

// Characters in each field of the record, terminator included.
#define TOOL_INFO_CHARS 1024

// Filled by InitFreedbackDll; each field holds a web address, empty before initialisation.
typedef struct ToolInfo {
    wchar_t homePage[TOOL_INFO_CHARS];
    wchar_t feedbackPage[TOOL_INFO_CHARS];
    wchar_t agreementPage[TOOL_INFO_CHARS];
    wchar_t moreToolsPage[TOOL_INFO_CHARS];
    wchar_t moreSolutionsPage[TOOL_INFO_CHARS];
    wchar_t downloadPage[TOOL_INFO_CHARS];
} ToolInfo;

// Answers to the closing question.
#define FEEDBACK_ANSWER_SOLVED 1
#define FEEDBACK_ANSWER_NOT_SOLVED 2
#define FEEDBACK_ANSWER_CLOSED 3

// Results of the update check.
#define TOOL_VERSION_INVALID_ARGUMENT 0
#define TOOL_VERSION_CURRENT 1
#define TOOL_VERSION_UNKNOWN 2  // manifest unreachable, late, missing or malformed
#define TOOL_VERSION_NEWER 3

// Unless said otherwise, each call returns 1 on success and 0 on failure or refusal.

// Reads the configuration, fills `info` and starts fetching the update manifest in the
// background. 0 only for a null record or an internal failure.
int WINAPI InitFreedbackDll(ToolInfo* info);
// Opens the feedback page for this tool in the default browser.
int WINAPI FeedbackQuestion(const wchar_t* toolId, const wchar_t* version);
// Opens `address` in the default browser when it is an http or https address. The caller
// keeps ownership of the string.
int WINAPI OpenUrl(BSTR address);
// 1 when the update server answered the manifest request (waits at most about 2 s).
int WINAPI GetInterNetState(void);
// Records an answer stamped with the current time.
int WINAPI CustomerFeedback(const wchar_t* toolId, const wchar_t* version, int answer);
// Records an answer with the caller's time text (seconds since 1970 in decimal).
int WINAPI CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* version, int answer,
                              const wchar_t* timeText);
// Creates the feedback file (and its folder) when missing; 1 when it can be appended to.
int WINAPI WriteCustomerFeedbackInfoFile(void);
// One of the TOOL_VERSION_ results (waits at most about 2 s for the manifest).
int WINAPI GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* version);
// As GetToolIsNewVersion, and opens the download page when a newer version exists.
int WINAPI GetToolIsNewVersionDown(const wchar_t* toolId, const wchar_t* version);
int WINAPI OpenToolDownUrl(void);
int WINAPI OpenUseAgreementUrl(void);

#ifdef __cplusplus
}
#endif
