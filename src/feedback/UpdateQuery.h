#pragma once
// The library's update query on a thread of its own. The query may wait about 2 s for the
// update server, and the panel's thread must not wait with it: that thread serves the
// desktop's low-level mouse hook, so every mouse move on the desktop would wait too.

#include <windows.h>

#include "feedback/FeedbackLibrary.h"
#include "win/UniqueHandle.h"

class CUpdateQuery {
public:
    CUpdateQuery() = default;
    ~CUpdateQuery() { Wait(); }
    CUpdateQuery(const CUpdateQuery&) = delete;
    CUpdateQuery& operator=(const CUpdateQuery&) = delete;

    // Asks `library` whether a newer version exists and posts the answer to `target` as
    // `message`, the query's result in wParam. False when no thread could be started.
    bool Start(const CFeedbackLibrary& library, HWND target, UINT message);
    // Waits for a started query to end, no longer than the library's own wait and a
    // margin. True when none runs any more; false leaves it running inside the library.
    bool Wait();

private:
    win::UniqueKernelHandle m_thread;
};
