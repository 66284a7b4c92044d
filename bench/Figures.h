#pragma once
// What every benchmark needs: a stopwatch on the performance counter, the median of a
// series, a process's memory and handle figures, and one result line on standard output.

#include <windows.h>

#include <string>
#include <vector>

namespace bench {

class Stopwatch {
public:
    Stopwatch() { Restart(); }
    void Restart() { ::QueryPerformanceCounter(&m_start); }
    double Ms() const;

private:
    LARGE_INTEGER m_start;
};

// The value below which the fraction `q` of the series lies, between neighbours where it
// falls between two; 0 when empty.
double Quantile(std::vector<double> values, double q);
// The middle value (the mean of the two middle ones for an even count); 0 when empty.
double Median(std::vector<double> values);

// Measurements taken in pairs, the tool's run and its floor's one after the other, so that
// both see the same state of the machine. A pair in which either run failed is dropped,
// with the reason.
class PairedRuns {
public:
    // `tool` and `floor` in ms; a negative value means that run failed for `why`.
    void Add(double tool, double floor, const char* why);
    // "<tool>" and "<floor>": the medians of the kept pairs; "<prefix>_ratio_median|q1|q3":
    // the per-pair ratios' median and quartiles, "<prefix>_over_ms_median|q1|q3" the
    // per-pair differences'; "<prefix>_pairs" and "<prefix>_dropped"; each drop's reason
    // on standard error.
    void Report(const char* prefix, const char* tool, const char* floor) const;
    size_t Kept() const { return m_tool.size(); }

private:
    std::vector<double> m_tool, m_floor;
    std::vector<std::string> m_dropped;
};

struct ProcessFigures {
    double privateMb = 0;     // private bytes
    double workingSetMb = 0;  // working set
    long kernelHandles = -1;  // -1 when the system does not tell
};

// Needs PROCESS_QUERY_INFORMATION (or the limited right) and PROCESS_VM_READ on `process`.
ProcessFigures ReadProcessFigures(HANDLE process);
// The figures of the process owning `window`, read a second from now, once it has
// finished what it started; empty when the process cannot be opened.
ProcessFigures SettledFiguresOf(HWND window);

// "name value": the wrapper script collects these lines into the table.
void Report(const char* name, double value);
void ReportFigures(const char* prefix, const ProcessFigures& figures);

}  // namespace bench
