#pragma once
// The feedback file "<common application data>\HarvaneFeedback\CustomerFeedback.txt": one
// line per answer to the closing question, kept so that nothing is lost while offline. Its
// folder is written only when nobody else can have planted it (CProtectedFolder).

#include <string>

// Creates the folder and the file when missing. True when the file can be appended to.
bool EnsureFeedbackFile();

// Appends "tool=<id>\tversion=<v>\tanswer=<n>\ttime=<t>". Refuses an answer other than
// 1, 2 or 3. Control characters in the texts become blanks, so a line stays one line.
bool RecordAnswer(const std::wstring& toolId, const std::wstring& version, int answer,
                  const std::wstring& timeText);
