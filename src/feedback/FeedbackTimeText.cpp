#include "feedback/FeedbackTimeText.h"

std::wstring FeedbackTimeText(__time64_t seconds) { return std::to_wstring(seconds); }

std::wstring FeedbackTimeText() { return FeedbackTimeText(_time64(nullptr)); }
