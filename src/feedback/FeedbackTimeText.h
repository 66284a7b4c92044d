#pragma once
// The time stamp handed with an answer to the feedback library.

#include <ctime>
#include <string>

// Whole seconds since 1970-01-01 UTC in decimal. The 64-bit count reads as the 32-bit
// one for every date before 2038 and does not wrap after it.
std::wstring FeedbackTimeText(__time64_t seconds);
std::wstring FeedbackTimeText();  // now
