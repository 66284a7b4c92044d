#pragma once
// How long the steps of start-up and of a switch take, for profiling: while a debugger or a
// debug-output monitor listens, each step sends "ombrel step NAME BEGIN END" as debug output,
// BEGIN and END in performance-counter ticks (the same clock in every process). Only the
// benchmark's profiling build has them (OMBREL_STEP_TIMES): in the programs that ship, any
// unelevated program could turn them on (by making the monitor's event) and make every step
// wait for a reader, so there a step is nothing at all.

#include <windows.h>

#ifdef OMBREL_STEP_TIMES
class TimedStep {
public:
    // `name` must outlive the step; `number` (a resource id, say) follows it unless negative.
    explicit TimedStep(const char* name, int number = -1);
    ~TimedStep() { End(); }
    // Ends the step before the end of its scope; later calls do nothing.
    void End();
    TimedStep(const TimedStep&) = delete;
    TimedStep& operator=(const TimedStep&) = delete;

private:
    const char* m_name;
    int m_number;
    LARGE_INTEGER m_begin = {};
    bool m_ended = false;
};
#else
class TimedStep {
public:
    explicit TimedStep(const char* /*name*/, int /*number*/ = -1) {}
    void End() {}
    TimedStep(const TimedStep&) = delete;
    TimedStep& operator=(const TimedStep&) = delete;
};
#endif
