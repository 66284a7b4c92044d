// The benchmark's driver under Wine: measures one group of figures and prints them as
// "name value" lines for tools/bench, which makes the table.
//   ombrel_bench startup RUNS | switch RUNS | cycles BUTTON_CYCLES PROMPTS | console RUNS
//                | profile RUNS
// "profile" prints the tool's own step timings of start-up and of a switch on standard
// error, apart from the timed runs, which it would slow a little.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "BenchFolder.h"
#include "ConsoleBench.h"
#include "CycleBench.h"
#include "Figures.h"
#include "MinimalDialog.h"
#include "StartupBench.h"
#include "StepProfile.h"
#include "SwitchBench.h"
#include "support/TestFiles.h"
#include "support/ToolRun.h"
#include "win/Gdiplus.h"

namespace {

void ReportSeries(const char* name, const std::vector<double>& values) {
    bench::Report(name, bench::Median(values));
    bench::Report((std::string(name) + "_runs").c_str(), static_cast<double>(values.size()));
}

// Each pair starts the minimal dialog and then the tool, so that a drift of the machine
// falls on both alike; one unmeasured pair first fills the caches.
int Startup(int runs) {
    test::ToolFolder folder(bench::BenchFolderOptions());
    const std::wstring minimal = test::ProgramDirectory() + L"\\" + bench::kMinimalDialogProgram;
    const bench::FirstPaint toolPaint = bench::ToolPanelPaint();
    const bench::FirstPaint minimalPaint = bench::MinimalDialogPaint();
    bench::PairedRuns pairs;
    for (int round = 0; round <= runs; ++round) {
        const double floor = bench::TimeToFirstPaint(minimal, minimalPaint);
        const double tool = bench::TimeToFirstPaint(folder.Program(), toolPaint);
        if (round > 0) pairs.Add(tool, floor, "showed no first paint within 20 s");
    }
    pairs.Report("startup", "startup_tool_ms", "startup_minimal_ms");
    bench::ReportFigures("startup_tool", bench::FiguresAfterStart(folder.Program(), toolPaint));
    bench::ReportFigures("startup_minimal", bench::FiguresAfterStart(minimal, minimalPaint));
    return pairs.Kept() == static_cast<size_t>(runs) ? 0 : 1;
}

int Switch(int runs) {
    const bench::SwitchRuns switches = bench::TimeSwitches(runs);
    switches.enableAndRunner.Report("switch", "switch_enable_ms", "switch_runner_ms");
    bench::Report("switch_ok", switches.allSucceeded ? 1 : 0);
    bench::ReportFigures("tool_started", switches.afterStart);
    bench::ReportFigures("tool_switched", switches.afterSwitches);
    return switches.allSucceeded ? 0 : 1;
}

int Cycles(int buttonCycles, int prompts) {
    const bench::CycleRuns cycles = bench::RunCycles(buttonCycles, prompts);
    bench::Report("cycles_opened", cycles.opened ? 1 : 0);
    bench::Report("prompts_unanswered", cycles.unanswered);
    bench::Report("buttons_gdi_before", cycles.buttons.gdiBefore);
    bench::Report("buttons_gdi_after", cycles.buttons.gdiAfter);
    bench::Report("buttons_handles_before", cycles.buttons.handlesBefore);
    bench::Report("buttons_handles_after", cycles.buttons.handlesAfter);
    bench::Report("prompts_gdi_before", cycles.prompts.gdiBefore);
    bench::Report("prompts_gdi_after", cycles.prompts.gdiAfter);
    bench::Report("prompts_handles_before", cycles.prompts.handlesBefore);
    bench::Report("prompts_handles_after", cycles.prompts.handlesAfter);
    bench::ReportFigures("panel_started", cycles.afterStart);
    bench::ReportFigures("panel_cycled", cycles.afterCycles);
    return cycles.opened ? 0 : 1;
}

int Console(int runs) {
    const bench::ConsoleRuns pairs = bench::TimeConsoleAgainstReg(runs);
    ReportSeries("console_switch_ms", pairs.consoleMs);
    bench::Report("console_reg_ms", bench::Median(pairs.regMs));
    bench::Report("console_speedup_median", bench::Median(pairs.speedups));
    bench::Report("console_speedup_q1", bench::Quantile(pairs.speedups, 0.25));
    bench::Report("console_speedup_q3", bench::Quantile(pairs.speedups, 0.75));
    bench::Report("console_ok", pairs.allSucceeded ? 1 : 0);
    return pairs.allSucceeded ? 0 : 1;
}

LONGLONG Now() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

int Profile(int runs) {
    bench::DebugOutputMonitor monitor;
    if (!monitor.Listening()) {
        std::fwprintf(stderr, L"profile: cannot listen to debug output\n");
        return 1;
    }
    bench::StepProfile startup;
    {
        test::ToolFolder folder(bench::BenchFolderOptions());
        const bench::FirstPaint toolPaint = bench::ToolPanelPaint();
        for (int round = 0; round <= runs; ++round) {
            DWORD processId = 0;
            const LONGLONG launch = Now();
            const double ms = bench::TimeToFirstPaint(folder.Program(), toolPaint, [&](HWND w) {
                ::GetWindowThreadProcessId(w, &processId);
            });
            ::Sleep(100);  // for the monitor to copy the last lines
            const std::vector<std::string> lines = monitor.TakeLinesFrom(processId);
            if (round > 0 && ms >= 0) startup.AddRun(lines, launch, ms);
        }
    }
    startup.Print("start-up (origin: the launch; end: the first painted panel)");
    bench::StepProfile enables;
    const bench::SwitchRuns switches =
        bench::TimeSwitches(runs, [&](DWORD processId, LONGLONG release, double ms) {
            ::Sleep(100);
            enables.AddRun(monitor.TakeLinesFrom(processId), release, ms);
        });
    enables.Print("switch (origin: the Enable click's release; end: the result prompt)");
    return switches.allSucceeded ? 0 : 1;
}

int Usage() {
    std::fwprintf(stderr,
                  L"usage: ombrel_bench startup RUNS | switch RUNS | "
                  L"cycles BUTTON_CYCLES PROMPTS | console RUNS | profile RUNS\n");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Usage();
    const std::wstring mode = argv[1];
    const int first = std::wcstol(argv[2], nullptr, 10);
    const int second = argc > 3 ? std::wcstol(argv[3], nullptr, 10) : 0;
    if (first <= 0) return Usage();
    win::GdiplusSession gdiplus;
    if (mode == L"startup" && argc == 3) return Startup(first);
    if (mode == L"switch" && argc == 3) return Switch(first);
    if (mode == L"cycles" && argc == 4 && second > 0) return Cycles(first, second);
    if (mode == L"console" && argc == 3) return Console(first);
    if (mode == L"profile" && argc == 3) return Profile(first);
    return Usage();
}
