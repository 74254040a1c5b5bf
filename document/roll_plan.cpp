#include "document/roll_plan.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "document/bmp/writer.h"
#include "document/raw/codec.h"

namespace tintwell::document {
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

fs::path Target(const RollJob& o, const std::string& file) {
    if (o.inPlace) return file;
    const fs::path name = fs::path(file).filename();
    if (o.mode == RollJob::Mode::Proxy) return o.folder / fs::path(name).replace_extension(".bmp");
    if (raw::IsRawName(file)) return o.folder / fs::path(name).replace_extension(".tif");
    return o.folder / name;
}

// A proxy goes where nothing is, or over a proxy of ours; never through a link, never over a
// file of the user's own.
std::variant<std::optional<FileStamp>, PlanRefusal> ProxyTarget(const fs::path& target) {
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0) return std::nullopt;
    if (S_ISLNK(status.st_mode)) return PlanRefusal{PlanRefusal::Kind::ThroughALink, target, {}};
    if (!S_ISREG(status.st_mode) || !IsProxy(target))
        return PlanRefusal{PlanRefusal::Kind::OverAFileNotOurs, target, {}};
    return StampOf(status);
}

}  // namespace

std::variant<Plan, PlanRefusal> PlanDestinations(const RollJob& o) {
    if (o.inPlace) {
        for (const std::string& file : o.files)
            if (raw::IsRawName(file)) return PlanRefusal{PlanRefusal::Kind::RawInPlace, file, file};
    }
    std::map<std::string, std::size_t> inputs;
    for (std::size_t i = 0; i < o.files.size(); ++i) inputs.emplace(Identity(o.files[i]), i);
    Plan plan{std::vector<std::optional<Destination>>(o.files.size()),
              std::vector<std::string>(o.files.size())};
    std::map<std::string, std::size_t> taken;
    for (std::size_t i = 0; i < o.files.size(); ++i) {
        const fs::path target = Target(o, o.files[i]);
        const std::string key = Identity(target);
        if (const auto input = inputs.find(key); !o.inPlace && input != inputs.end()) {
            return PlanRefusal{PlanRefusal::Kind::OverAnOriginal, target, o.files[input->second]};
        }
        const auto [at, fresh] = taken.emplace(key, i);
        if (fresh) {
            plan.to[i] =
                Destination{target, o.inPlace, o.mode == RollJob::Mode::Proxy, std::nullopt};
            if (o.mode != RollJob::Mode::Proxy) continue;
            auto proxy = ProxyTarget(target);
            if (auto* wrong = std::get_if<PlanRefusal>(&proxy)) return std::move(*wrong);
            plan.to[i]->proxyReplaced = std::get<std::optional<FileStamp>>(proxy);
        } else {
            plan.clashes[i] = o.files[i] + ": " + o.files[at->second] + " is written to " +
                              target.string() + " already; this one is left out";
        }
    }
    return plan;
}

}  // namespace tintwell::document
