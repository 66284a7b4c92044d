#pragma once
// The tool's own timings of its steps, read as debug output while it runs: a monitor of
// the system's debug-output channel, and a profile that lines up the steps of several runs.

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "win/CriticalSection.h"
#include "win/UniqueHandle.h"

namespace bench {

// Listens to debug output from every process while it lives (one monitor per session).
class DebugOutputMonitor {
public:
    DebugOutputMonitor();
    ~DebugOutputMonitor();
    DebugOutputMonitor(const DebugOutputMonitor&) = delete;
    DebugOutputMonitor& operator=(const DebugOutputMonitor&) = delete;

    bool Listening() const { return m_view != nullptr && m_thread; }
    // Takes the lines received so far from process `processId`, in their order.
    std::vector<std::string> TakeLinesFrom(DWORD processId);

private:
    static DWORD WINAPI Listen(LPVOID self);

    win::UniqueKernelHandle m_mutex, m_bufferReady, m_dataReady, m_buffer, m_stop, m_thread;
    void* m_view = nullptr;
    CCriticalSection m_lock;
    std::vector<std::pair<DWORD, std::string>> m_lines;
};

// The steps of one kind of run (start-up, a switch), each run's steps placed in ms from
// that run's own origin (the launch, the click).
class StepProfile {
public:
    // Reads the "ombrel step" lines of one run that the outside saw end at `endMs` (the
    // first paint, the result prompt), keeping the steps between the origin and that end;
    // a step met more than once counts its first start and the sum of its lengths.
    void AddRun(const std::vector<std::string>& lines, LONGLONG originTicks, double endMs);
    // On standard error: the median over the runs of each step's start and length, ordered
    // by start, then the three costs that took longest: steps holding no other step (all
    // numbers of a name together), the time before the first step and after the last.
    void Print(const char* title) const;

private:
    struct Timing {
        std::vector<double> startMs, lengthMs, count;
    };
    std::map<std::string, Timing> m_steps;
    std::vector<double> m_endMs, m_beforeFirstMs, m_afterLastMs;
    std::set<std::string> m_containers;  // steps that hold other steps
    int m_runs = 0;
};

}  // namespace bench
