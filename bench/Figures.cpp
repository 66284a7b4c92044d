#include "Figures.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>

#include "win/UniqueHandle.h"

namespace bench {

namespace {

const NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);

// GetProcessHandleCount answers 0 under Wine; the system's handle list names each
// handle's owner, for this process and for others alike.
long CountKernelHandles(DWORD processId) {
    std::vector<BYTE> buffer(256 * 1024);
    NTSTATUS status;
    while ((status = ::NtQuerySystemInformation(SystemHandleInformation, buffer.data(),
                                                static_cast<ULONG>(buffer.size()), nullptr)) ==
           kInfoLengthMismatch) {
        buffer.resize(buffer.size() * 2);
    }
    if (status != 0) return -1;
    const auto* list = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < list->Count; ++i) {
        if (list->Handle[i].OwnerPid == processId) ++count;
    }
    return count;
}

}  // namespace

double Stopwatch::Ms() const {
    LARGE_INTEGER now, frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - m_start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double position = q * static_cast<double>(values.size() - 1);
    const size_t below = static_cast<size_t>(position);
    if (below + 1 >= values.size()) return values.back();
    const double fraction = position - static_cast<double>(below);
    return values[below] + fraction * (values[below + 1] - values[below]);
}

double Median(std::vector<double> values) { return Quantile(std::move(values), 0.5); }

ProcessFigures SettledFiguresOf(HWND window) {
    ::Sleep(1000);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    win::UniqueKernelHandle process(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    return process ? ReadProcessFigures(process.Get()) : ProcessFigures();
}

ProcessFigures ReadProcessFigures(HANDLE process) {
    ProcessFigures figures;
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    if (::GetProcessMemoryInfo(process, &memory, sizeof(memory))) {
        const double mb = 1024.0 * 1024.0;
        // The commit charge: the private bytes (Wine leaves the EX record's copy at 0).
        figures.privateMb = static_cast<double>(memory.PagefileUsage) / mb;
        figures.workingSetMb = static_cast<double>(memory.WorkingSetSize) / mb;
    }
    figures.kernelHandles = CountKernelHandles(::GetProcessId(process));
    return figures;
}

void Report(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
    std::fflush(stdout);
}

void ReportFigures(const char* prefix, const ProcessFigures& figures) {
    const std::string p(prefix);
    Report((p + "_private_mb").c_str(), figures.privateMb);
    Report((p + "_working_set_mb").c_str(), figures.workingSetMb);
    Report((p + "_kernel_handles").c_str(), figures.kernelHandles);
}

void PairedRuns::Add(double tool, double floor, const char* why) {
    if (tool < 0 || floor < 0) {
        const int pair = static_cast<int>(m_tool.size() + m_dropped.size()) + 1;
        m_dropped.push_back("pair " + std::to_string(pair) + ": " +
                            (tool < 0 ? "the tool" : "the floor") + " " + why);
        return;
    }
    m_tool.push_back(tool);
    m_floor.push_back(floor);
}

void PairedRuns::Report(const char* prefix, const char* tool, const char* floor) const {
    std::vector<double> ratios, differences;
    for (size_t i = 0; i < m_tool.size(); ++i) {
        if (m_floor[i] > 0) ratios.push_back(m_tool[i] / m_floor[i]);
        differences.push_back(m_tool[i] - m_floor[i]);
    }
    const std::string name(prefix);
    bench::Report(tool, Median(m_tool));
    bench::Report((std::string(tool) + "_runs").c_str(), static_cast<double>(m_tool.size()));
    bench::Report(floor, Median(m_floor));
    const std::pair<const char*, const std::vector<double>*> spreads[] = {
        {"_ratio", &ratios}, {"_over_ms", &differences}};
    for (const auto& spread : spreads) {
        const std::string key = name + spread.first;
        bench::Report((key + "_median").c_str(), Median(*spread.second));
        bench::Report((key + "_q1").c_str(), Quantile(*spread.second, 0.25));
        bench::Report((key + "_q3").c_str(), Quantile(*spread.second, 0.75));
    }
    bench::Report((name + "_pairs").c_str(), static_cast<double>(m_tool.size()));
    bench::Report((name + "_dropped").c_str(), static_cast<double>(m_dropped.size()));
    for (const std::string& reason : m_dropped) {
        std::fprintf(stderr, "bench: %s dropped %s\n", prefix, reason.c_str());
    }
}

}  // namespace bench
