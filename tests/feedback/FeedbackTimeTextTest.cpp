#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "feedback/FeedbackTimeText.h"

namespace {

TEST(FeedbackTimeText, IsTheWholeSecondsCountInDecimal) {
    struct Case {
        __time64_t seconds;
        const wchar_t* text;
    } cases[] = {
        {0, L"0"},
        {1700000000, L"1700000000"},
        {2147483647, L"2147483647"},  // the last second a 32-bit count holds (2038-01-19)
        {2147483648LL, L"2147483648"},
        {4102444800LL, L"4102444800"},  // 2100-01-01
    };
    for (const Case& c : cases) EXPECT_EQ(c.text, FeedbackTimeText(c.seconds));
}

TEST(FeedbackTimeText, NowIsTheSystemClockInSecondsSince1970) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const long long ticks = (static_cast<long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const long long unixSeconds = ticks / 10000000LL - 11644473600LL;  // 1601 to 1970
    const long long stamp = std::stoll(FeedbackTimeText());
    EXPECT_GE(stamp, unixSeconds);
    EXPECT_LE(stamp, unixSeconds + 2);
}

}  // namespace
