#include "document/intake.h"

#include <algorithm>
#include <cctype>

namespace tintwell::document {

bool HasBmpName(std::string_view path) {
    constexpr std::string_view kExtension = ".BMP";
    if (path.size() < kExtension.size()) return false;
    const std::string_view tail = path.substr(path.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == b;
    });
}

std::string CantSave(const std::string& path, const std::string& reason) {
    return "Can't save " + path + ": " + reason + ". The file on disk is as it was.";
}

}  // namespace tintwell::document
