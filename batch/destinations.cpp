#include "batch/destinations.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "document/bmp_writer.h"

namespace tintwell::batch {
namespace {

namespace fs = std::filesystem;

// A file's identity (device and inode, links followed), or its name where it does not exist.
std::string Identity(const fs::path& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0)
        return std::to_string(status.st_dev) + ":" + std::to_string(status.st_ino);
    std::error_code ec;
    return fs::weakly_canonical(fs::absolute(path, ec), ec).string();
}

fs::path Target(const Options& o, const std::string& file) {
    if (o.inPlace) return file;
    const fs::path name = fs::path(file).filename();
    return fs::path(o.output) /
           (o.mode == Mode::Proxy ? fs::path(name).replace_extension(".bmp") : name);
}

// A proxy goes where nothing is, or over a proxy of ours; never through a link, never over a
// file of the user's own.
std::variant<std::optional<document::FileStamp>, std::string> ProxyTarget(const fs::path& target) {
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0) return std::nullopt;
    if (S_ISLNK(status.st_mode))
        return "--proxy would write through a link: " + target.string() +
               " is one. Nothing was written; choose another folder, or remove the link.";
    if (!S_ISREG(status.st_mode) || !document::IsProxy(target))
        return "--proxy would replace a file it did not make: " + target.string() +
               ". Nothing was written; choose another folder, or move that file away.";
    return document::StampOf(status);
}

}  // namespace

std::variant<Plan, std::string> PlanDestinations(const Options& o) {
    std::map<std::string, std::size_t> inputs;
    for (std::size_t i = 0; i < o.files.size(); ++i) inputs.emplace(Identity(o.files[i]), i);
    Plan plan{std::vector<std::optional<Destination>>(o.files.size()),
              std::vector<std::string>(o.files.size())};
    std::map<std::string, std::size_t> taken;
    for (std::size_t i = 0; i < o.files.size(); ++i) {
        const fs::path target = Target(o, o.files[i]);
        const std::string key = Identity(target);
        if (const auto input = inputs.find(key); !o.inPlace && input != inputs.end()) {
            return std::string(o.mode == Mode::Proxy ? "--proxy" : "--output") +
                   " would write over an original: " + target.string() + " is " +
                   o.files[input->second] + ". Nothing was written; choose another folder" +
                   (o.mode == Mode::Proxy ? "." : ", or --in-place.");
        }
        const auto [at, fresh] = taken.emplace(key, i);
        if (fresh) {
            plan.to[i] = Destination{target, o.inPlace, o.mode == Mode::Proxy, std::nullopt};
            if (o.mode != Mode::Proxy) continue;
            auto proxy = ProxyTarget(target);
            if (auto* wrong = std::get_if<std::string>(&proxy)) return std::move(*wrong);
            plan.to[i]->proxyReplaced = std::get<std::optional<document::FileStamp>>(proxy);
        } else {
            plan.clashes[i] = o.files[i] + ": " + o.files[at->second] + " is written to " +
                              target.string() + " already; this one is left out";
        }
    }
    return plan;
}

}  // namespace tintwell::batch
