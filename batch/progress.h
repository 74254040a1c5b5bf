#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

namespace tintwell::batch {

// One line on a terminal that is written over in place: results are written above it.
class Progress {
public:
    using Clock = std::chrono::steady_clock;
    Progress(std::ostream& err, bool terminal, std::size_t files)
        : m_err(err), m_terminal(terminal), m_files(files), m_start(Clock::now()) {}

    void Show(std::size_t done, std::uint64_t pixels);
    void Clear();
    double Seconds() const { return std::chrono::duration<double>(Clock::now() - m_start).count(); }

private:
    std::ostream& m_err;
    bool m_terminal;
    std::size_t m_files;
    Clock::time_point m_start;
    bool m_shown = false;
};

}  // namespace tintwell::batch
