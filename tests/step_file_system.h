#pragma once

// The real file system with something happening at one step of a job: the step failing the way
// a full disk, a flaky network share or a yanked drive makes it fail, or another program acting
// on the files just before it (once, from a thread of its own, as another program would). Writes
// take at most `most` bytes at a time, as a pipe or a signal may cut them short.
#include <cerrno>
#include <cstdint>
#include <functional>
#include <thread>
#include <utility>

#include "document/file_system.h"

namespace tintwell::tests {

// Read is the fourth read, between two bands of pixels; Stat is the save looking at its target.
enum class Step {
    None,
    Read,
    Stat,
    Unnamed,
    Named,
    Reserve,
    FirstWrite,
    LastWrite,
    Owner,
    Attribute,
    Mode,
    Sync,
    Link,
    Close,
    Rename
};

class StepFileSystem : public document::FileSystem {
public:
    using FS = document::FileSystem;
    StepFileSystem(Step step, int error, bool unnamed = true, std::size_t most = SIZE_MAX)
        : m_step(step), m_error(error), m_unnamed(unnamed), m_most(most) {}
    StepFileSystem(Step step, std::function<void()> act) : m_step(step), m_act(std::move(act)) {}

    ssize_t ReadAt(int fd, void* data, std::size_t size, off_t at) override {
        const Step step = ++m_reads == 4 ? Step::Read : Step::None;
        return At(step, [&] { return FS::ReadAt(fd, data, size, at); });
    }
    int StatPath(const char* path, struct stat& out) override {
        return At(Step::Stat, [&] { return FS::StatPath(path, out); });
    }
    int OpenUnnamed(const char* folder, mode_t mode) override {
        if (!m_unnamed) return Failed(EOPNOTSUPP);  // a file system without them
        return At(Step::Unnamed, [&] { return FS::OpenUnnamed(folder, mode); });
    }
    int CreateTemporary(std::string& name) override {
        return At(Step::Named, [&] { return FS::CreateTemporary(name); });
    }
    int Reserve(int fd, off_t size) override {
        return At(Step::Reserve, [&] { return FS::Reserve(fd, size); });
    }
    ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t at) override {
        ++m_writes;
        const Step step = m_writes == 1             ? Step::FirstWrite
                          : m_writes == m_lastWrite ? Step::LastWrite
                                                    : Step::None;
        return At(step, [&] { return FS::WriteAt(fd, data, std::min(size, m_most), at); });
    }
    int ChangeOwner(int fd, uid_t owner, gid_t group) override {
        return At(Step::Owner, [&] { return FS::ChangeOwner(fd, owner, group); });
    }
    int SetAttribute(int fd, const char* name, const void* value, std::size_t size) override {
        return At(Step::Attribute, [&] { return FS::SetAttribute(fd, name, value, size); });
    }
    int ChangeMode(int fd, mode_t mode) override {
        return At(Step::Mode, [&] { return FS::ChangeMode(fd, mode); });
    }
    int SyncToDisk(int fd) override {
        return At(Step::Sync, [&] { return FS::SyncToDisk(fd); });
    }
    int Link(int fd, const char* path) override {
        return At(Step::Link, [&] { return FS::Link(fd, path); });
    }
    int Close(int fd) override {
        const int closed = FS::Close(fd);
        return At(Step::Close, [&] { return closed; });
    }
    int Rename(const char* from, const char* to) override {
        return At(Step::Rename, [&] { return FS::Rename(from, to); });
    }
    void FailOnWrite(int n) { m_lastWrite = n; }
    int Writes() const { return m_writes; }

private:
    static int Failed(int error) {
        errno = error;
        return -1;
    }
    template <typename Call>
    auto At(Step step, const Call& call) -> decltype(call()) {
        if (step == Step::None || step != m_step) return call();
        if (!m_act) return Failed(m_error);
        if (!std::exchange(m_acted, true)) std::thread(m_act).join();
        return call();
    }
    Step m_step;
    int m_error = 0;
    bool m_unnamed = true;
    std::size_t m_most = SIZE_MAX;
    std::function<void()> m_act;
    bool m_acted = false;
    int m_reads = 0, m_writes = 0, m_lastWrite = 0;
};

}  // namespace tintwell::tests
