#include "document/file_system.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace tintwell::document {

int FileSystem::Open(const char* path, int flags) {
    return ::open(path, flags);
}
int FileSystem::Stat(int fd, struct stat& out) {
    return ::fstat(fd, &out);
}
int FileSystem::StatPath(const char* path, struct stat& out) {
    return ::stat(path, &out);
}
ssize_t FileSystem::ReadAt(int fd, void* data, std::size_t size, off_t at) {
    return ::pread(fd, data, size, at);
}
int FileSystem::Access(const char* path, int mode) {
    return ::faccessat(AT_FDCWD, path, mode, AT_EACCESS);
}

int FileSystem::OpenUnnamed(const char* folder, mode_t mode) {
#if defined(O_TMPFILE)
    return ::open(folder, O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
#else
    (void)folder;
    (void)mode;
    errno = EOPNOTSUPP;
    return -1;
#endif
}
int FileSystem::CreateTemporary(std::string& pathTemplate) {
    return ::mkostemp(pathTemplate.data(), O_CLOEXEC);
}
ssize_t FileSystem::WriteAt(int fd, const void* data, std::size_t size, off_t at) {
    return ::pwrite(fd, data, size, at);
}
int FileSystem::Reserve(int fd, off_t size) {
#if defined(__linux__)
    return ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size);
#else
    (void)fd;
    (void)size;
    errno = EOPNOTSUPP;
    return -1;
#endif
}
void FileSystem::StartWriteback(int fd, off_t upTo) {
#if defined(__linux__)
    ::sync_file_range(fd, 0, upTo, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)upTo;
#endif
}
int FileSystem::ChangeOwner(int fd, uid_t owner, gid_t group) {
    return ::fchown(fd, owner, group);
}
int FileSystem::ChangeMode(int fd, mode_t mode) {
    return ::fchmod(fd, mode);
}
ssize_t FileSystem::ListAttributes(const char* path, char* names, std::size_t size) {
    return ::listxattr(path, names, size);
}
ssize_t FileSystem::GetAttribute(const char* path, const char* name, void* value,
                                 std::size_t size) {
    return ::getxattr(path, name, value, size);
}
ssize_t FileSystem::ListOwnAttributes(int fd, char* names, std::size_t size) {
    return ::flistxattr(fd, names, size);
}
int FileSystem::RemoveAttribute(int fd, const char* name) {
    return ::fremovexattr(fd, name);
}
int FileSystem::SetAttribute(int fd, const char* name, const void* value, std::size_t size) {
    return ::fsetxattr(fd, name, value, size, 0);
}
int FileSystem::SyncToDisk(int fd) {
    return ::fsync(fd);
}
int FileSystem::Link(int fd, const char* path) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, path, AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != ENOENT) return -1;
    // No /proc: the descriptor itself, which needs more privilege.
    return ::linkat(fd, "", AT_FDCWD, path, AT_EMPTY_PATH);
}
int FileSystem::Close(int fd) {
    return ::close(fd);
}
int FileSystem::Rename(const char* from, const char* to) {
    return ::rename(from, to);
}
int FileSystem::Remove(const char* path) {
    return ::unlink(path);
}
int FileSystem::Lock(int fd, int operation) {
    return ::flock(fd, operation);
}

FileSystem& RealFileSystem() {
    static FileSystem real;
    return real;
}

}  // namespace tintwell::document
