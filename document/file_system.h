#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>
#include <string>

namespace tintwell::document {

// The system calls that reading and replacing a file make, one function each, so that tests
// can make any of them fail, or act at a chosen point (another program rewriting the file).
// Each returns what the system call returns (-1 with errno set on failure).
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Reading.
    virtual int Open(const char* path, int flags);
    virtual int Stat(int fd, struct stat& out);
    virtual int StatPath(const char* path, struct stat& out);
    virtual ssize_t ReadAt(int fd, void* data, std::size_t size, off_t at);
    virtual int Access(const char* path, int mode);  // with the effective ids, as open decides

    // Writing a new file and putting it in the old one's place.
    virtual int OpenUnnamed(const char* folder, mode_t mode);  // O_TMPFILE
    // Creates and opens a new file from a template ending in XXXXXX, as mkostemp does.
    virtual int CreateTemporary(std::string& pathTemplate);
    virtual ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t at);
    // Sets aside `size` bytes of disk for the file without changing its length.
    virtual int Reserve(int fd, off_t size);
    // Starts writing bytes already written to the disk, without waiting for it.
    virtual void StartWriteback(int fd, off_t upTo);
    virtual int ChangeOwner(int fd, uid_t owner, gid_t group);
    virtual int ChangeMode(int fd, mode_t mode);
    virtual ssize_t ListAttributes(const char* path, char* names, std::size_t size);
    virtual ssize_t GetAttribute(const char* path, const char* name, void* value, std::size_t size);
    virtual ssize_t ListOwnAttributes(int fd, char* names, std::size_t size);
    virtual int SetAttribute(int fd, const char* name, const void* value, std::size_t size);
    virtual int RemoveAttribute(int fd, const char* name);
    virtual int SyncToDisk(int fd);
    // Gives an unnamed file a name: linkat of /proc/self/fd/FD.
    virtual int Link(int fd, const char* path);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Remove(const char* path);
    // flock: LOCK_SH, LOCK_EX, with LOCK_NB not to wait.
    virtual int Lock(int fd, int operation);
};

FileSystem& RealFileSystem();

}  // namespace tintwell::document
