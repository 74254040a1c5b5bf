#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tintwell::bench {

// Prints the usual table and remembers each benchmark's mean time per iteration, so that a
// run can end with the ratios that matter ("pass/memcpy: 2.1").
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.iterations == 0) continue;
            m_seconds[run.run_name.function_name] =
                run.real_accumulated_time / static_cast<double>(run.iterations);
        }
    }

    double Seconds(const std::string& name) const {
        const auto it = m_seconds.find(name);
        return it == m_seconds.end() ? 0.0 : it->second;
    }

    void PrintRatio(const std::string& label, const std::string& numerator,
                    const std::string& denominator) const {
        const double below = Seconds(denominator);
        if (below <= 0.0) return;
        std::printf("%s: %.2f\n", label.c_str(), Seconds(numerator) / below);
    }

private:
    std::map<std::string, double> m_seconds;
};

// Runs the registered benchmarks and prints the ratios asked for, last.
inline int RunWithRatios(
    int argc, char** argv,
    const std::vector<std::pair<std::string, std::pair<std::string, std::string>>>& ratios) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto& [label, pair] : ratios) reporter.PrintRatio(label, pair.first, pair.second);
    return 0;
}

}  // namespace tintwell::bench
