#include "document/intake.h"

#include <algorithm>
#include <cctype>

#include "document/reason.h"

namespace tintwell::document {

bool HasBmpName(std::string_view path) {
    constexpr std::string_view kExtension = ".BMP";
    if (path.size() < kExtension.size()) return false;
    const std::string_view tail = path.substr(path.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == b;
    });
}

std::string CantSave(const std::string& path, const Error& error) {
    const char* after = error.problem == Problem::Changed ? ". It is left as it is now."
                                                          : ". The file on disk is as it was.";
    return "Can't save " + path + ": " + Reason(error) + after;
}

}  // namespace tintwell::document
