// A console reporter that also keeps each benchmark's time per iteration,
// so that a benchmark program can print its ratios at the end of the run.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs)
            if (run.iterations > 0) m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }

    // Prints ours / reference; nothing when either did not run.
    void printRatio(const std::string& ours, const std::string& reference, const char* note = "") const
    {
        const auto a = m_times.find(ours);
        const auto b = m_times.find(reference);
        if (a == m_times.end() || b == m_times.end() || b->second <= 0) return;
        std::printf("ratio %-36s / %-40s = %.2f%s\n", ours.c_str(), reference.c_str(), a->second / b->second, note);
    }
    double time(const std::string& name) const
    {
        const auto it = m_times.find(name);
        return it == m_times.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> m_times;
};
