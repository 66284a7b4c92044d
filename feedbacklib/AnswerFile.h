#pragma once
// The feedback file: one line per answer to the closing question, kept in the
// machine-wide application data folder so that nothing is lost while offline.

#include <string>

// The file is "<common application data>\HarvaneFeedback\CustomerFeedback.txt"; its folder
// is written only when nobody else can have planted it (CProtectedFolder).

// Creates the folder and the file when missing. 1 when the file can be appended to.
int EnsureFeedbackFile();

// Appends "tool=<id>\tversion=<v>\tanswer=<n>\ttime=<t>". Refuses an answer other than
// 1, 2 or 3. Control characters in the texts become blanks, so a line stays one line.
int RecordAnswer(const std::wstring& toolId, const std::wstring& version, int answer,
                 const std::wstring& timeText);
