#pragma once

#include <sys/stat.h>

#include <cstdint>

namespace tintwell::document {

// A file's identity and the state it was in, as the system reported them at one moment.
struct FileStamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNs = 0;
    nlink_t links = 0;
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0;
};

inline FileStamp StampOf(const struct stat& s) {
    return {s.st_dev,   s.st_ino, s.st_size, s.st_mtim.tv_sec * 1'000'000'000LL + s.st_mtim.tv_nsec,
            s.st_nlink, s.st_uid, s.st_gid,  s.st_mode};
}

// The same file, whatever its names: links resolved, compared by device and inode.
inline bool SameFile(const FileStamp& a, const FileStamp& b) {
    return a.device == b.device && a.inode == b.inode;
}

// The same file, and no write to it since: the size and the modification time are as they were.
inline bool Unchanged(const FileStamp& a, const FileStamp& b) {
    return SameFile(a, b) && a.size == b.size && a.modifiedNs == b.modifiedNs;
}

}  // namespace tintwell::document
