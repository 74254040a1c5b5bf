#pragma once

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tintwell::bench {

// Prints the usual table and remembers each benchmark's mean time per iteration, so that a
// run can end with the ratios that matter ("pass/memcpy: 2.1").
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(bool colour) : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular) {}

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
        if (below <= 0.0 || Seconds(numerator) <= 0.0) return;  // one of them was not run
        const double ratio = Seconds(numerator) / below;
        std::printf(ratio < 0.1 ? "%s: %.3f\n" : "%s: %.2f\n", label.c_str(), ratio);
    }

private:
    std::map<std::string, double> m_seconds;
};

// Colour as --benchmark_color asks (auto, the default, means only on a terminal), so that the
// ratio lines are plain text for grep when the output goes to a pipe or a file.
inline bool WantsColour(int argc, char** argv) {
    std::string choice = "auto";
    for (int i = 1; i < argc; ++i) {
        constexpr const char* kFlag = "--benchmark_color=";
        if (std::strncmp(argv[i], kFlag, std::strlen(kFlag)) == 0)
            choice = argv[i] + std::strlen(kFlag);
    }
    if (choice == "auto") {
        const char* term = std::getenv("TERM");
        return isatty(STDOUT_FILENO) && term != nullptr && std::strcmp(term, "dumb") != 0;
    }
    return choice == "true" || choice == "yes" || choice == "1";
}

// Runs the registered benchmarks and prints the ratios asked for, last.
inline int RunWithRatios(
    int argc, char** argv,
    const std::vector<std::pair<std::string, std::pair<std::string, std::string>>>& ratios) {
    const bool colour = WantsColour(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter(colour);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    for (const auto& [label, pair] : ratios) reporter.PrintRatio(label, pair.first, pair.second);
    return 0;
}

}  // namespace tintwell::bench
