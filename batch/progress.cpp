#include "batch/progress.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace tintwell::batch {

void Progress::Show(std::size_t done, std::uint64_t pixels) {
    if (!m_terminal) return;
    const double seconds = Seconds();
    char line[160];
    std::snprintf(line, sizeof line, "\r%zu of %zu files, %.0f megapixels a second", done, m_files,
                  seconds > 0 ? pixels / 1e6 / seconds : 0.0);
    std::string text = line;
    if (done > 0 && done < m_files) {
        const long left = std::lround(seconds / done * (m_files - done));
        std::snprintf(line, sizeof line, ", %ld:%02ld left", left / 60, left % 60);
        text += line;
    }
    m_err << text << "\033[K" << std::flush;
    m_shown = true;
}

void Progress::Clear() {
    if (m_shown) m_err << "\r\033[K" << std::flush;
    m_shown = false;
}

}  // namespace tintwell::batch
