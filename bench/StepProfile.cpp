#include "StepProfile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "Figures.h"

namespace bench {

namespace {

const DWORD kBufferBytes = 4096;
const char kStepPrefix[] = "ombrel step ";

double TicksToMs(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

struct StepLine {
    std::string name;  // with its number, if any
    LONGLONG begin = 0, end = 0;
};

// "ombrel step NAME [NUMBER] BEGIN END"; false for any other line.
bool ParseStep(const std::string& line, StepLine& step) {
    if (line.compare(0, std::strlen(kStepPrefix), kStepPrefix) != 0) return false;
    std::istringstream words(line.substr(std::strlen(kStepPrefix)));
    std::vector<std::string> parts;
    for (std::string word; words >> word;) parts.push_back(word);
    if (parts.size() < 3) return false;
    step.begin = std::stoll(parts[parts.size() - 2]);
    step.end = std::stoll(parts.back());
    step.name = parts[0];
    if (parts.size() == 4) step.name += " " + parts[1];
    return true;
}

}  // namespace

DebugOutputMonitor::DebugOutputMonitor()
    : m_mutex(::CreateMutexW(nullptr, FALSE, L"DBWinMutex")),
      m_bufferReady(::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY")),
      m_dataReady(::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY")),
      m_buffer(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferBytes,
                                    L"DBWIN_BUFFER")),
      m_stop(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    if (!m_mutex || !m_bufferReady || !m_dataReady || !m_buffer || !m_stop) return;
    m_view = ::MapViewOfFile(m_buffer.Get(), FILE_MAP_READ, 0, 0, kBufferBytes);
    if (m_view != nullptr) m_thread.Reset(::CreateThread(nullptr, 0, &Listen, this, 0, nullptr));
}

DebugOutputMonitor::~DebugOutputMonitor() {
    if (m_thread) {
        ::SetEvent(m_stop.Get());
        ::WaitForSingleObject(m_thread.Get(), INFINITE);
    }
    if (m_view != nullptr) ::UnmapViewOfFile(m_view);
}

DWORD WINAPI DebugOutputMonitor::Listen(LPVOID param) {
    auto* self = static_cast<DebugOutputMonitor*>(param);
    const HANDLE waits[] = {self->m_dataReady.Get(), self->m_stop.Get()};
    ::SetEvent(self->m_bufferReady.Get());
    while (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
        const auto* bytes = static_cast<const char*>(self->m_view);
        DWORD processId = 0;
        std::memcpy(&processId, bytes, sizeof(processId));
        const char* text = bytes + sizeof(processId);
        std::string line(text, strnlen(text, kBufferBytes - sizeof(processId)));
        {
            CSingleLock lock(self->m_lock);
            self->m_lines.emplace_back(processId, std::move(line));
        }
        ::SetEvent(self->m_bufferReady.Get());
    }
    return 0;
}

std::vector<std::string> DebugOutputMonitor::TakeLinesFrom(DWORD processId) {
    CSingleLock lock(m_lock);
    std::vector<std::string> taken;
    auto kept = m_lines.begin();
    for (auto& line : m_lines) {
        if (line.first == processId) {
            taken.push_back(std::move(line.second));
        } else {
            *kept++ = std::move(line);
        }
    }
    m_lines.erase(kept, m_lines.end());
    return taken;
}

void StepProfile::AddRun(const std::vector<std::string>& lines, LONGLONG originTicks,
                         double endMs) {
    std::vector<StepLine> steps;
    for (const std::string& line : lines) {
        // Only what happened between the origin and what the outside saw.
        StepLine step;
        if (ParseStep(line, step) && step.begin >= originTicks &&
            TicksToMs(step.end - originTicks) <= endMs) {
            steps.push_back(step);
        }
    }
    struct RunStep {
        double startMs = 0, lengthMs = 0;
        int count = 0;
    };
    std::map<std::string, RunStep> run;
    LONGLONG firstBegin = 0, lastEnd = 0;
    for (const StepLine& step : steps) {
        if (firstBegin == 0 || step.begin < firstBegin) firstBegin = step.begin;
        lastEnd = std::max(lastEnd, step.end);
        for (const StepLine& other : steps) {
            if (&other != &step && other.begin >= step.begin && other.end <= step.end &&
                other.end - other.begin < step.end - step.begin) {
                m_containers.insert(step.name);
            }
        }
        RunStep& timing = run[step.name];
        if (timing.count++ == 0) timing.startMs = TicksToMs(step.begin - originTicks);
        timing.lengthMs += TicksToMs(step.end - step.begin);
    }
    for (const auto& step : run) {
        Timing& all = m_steps[step.first];
        all.startMs.push_back(step.second.startMs);
        all.lengthMs.push_back(step.second.lengthMs);
        all.count.push_back(step.second.count);
    }
    m_endMs.push_back(endMs);
    if (!steps.empty()) {
        m_beforeFirstMs.push_back(TicksToMs(firstBegin - originTicks));
        m_afterLastMs.push_back(endMs - TicksToMs(lastEnd - originTicks));
    }
    ++m_runs;
}

void StepProfile::Print(const char* title) const {
    std::fprintf(stderr, "profile %s: medians of %d runs, ms from the run's origin\n", title,
                 m_runs);
    std::fprintf(stderr, "  %8s %8s %6s  %s\n", "starts", "takes", "times", "step");
    std::vector<std::pair<double, std::string>> byStart;
    std::map<std::string, double> byName;  // a name's numbers together
    for (const auto& step : m_steps) {
        byStart.emplace_back(Median(step.second.startMs), step.first);
        if (m_containers.count(step.first) == 0) {
            byName[step.first.substr(0, step.first.find(' '))] += Median(step.second.lengthMs);
        }
    }
    byName["(before the first step)"] = Median(m_beforeFirstMs);
    byName["(after the last step)"] = Median(m_afterLastMs);
    std::sort(byStart.begin(), byStart.end());
    for (const auto& entry : byStart) {
        const Timing& timing = m_steps.at(entry.second);
        std::fprintf(stderr, "  %8.1f %8.1f %6.0f  %s\n", entry.first, Median(timing.lengthMs),
                     Median(timing.count), entry.second.c_str());
    }
    std::fprintf(stderr, "  %8.1f %8s %6s  (seen from outside)\n", Median(m_endMs), "", "");
    std::vector<std::pair<double, std::string>> largest;
    for (const auto& name : byName) largest.emplace_back(name.second, name.first);
    std::sort(largest.rbegin(), largest.rend());
    std::fprintf(stderr, "  largest, steps holding no other step:");
    for (size_t i = 0; i < largest.size() && i < 3; ++i) {
        std::fprintf(stderr, " %s %.1f ms;", largest[i].second.c_str(), largest[i].first);
    }
    std::fprintf(stderr, "\n");
}

}  // namespace bench
