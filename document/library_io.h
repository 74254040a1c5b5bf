#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "document/byte_source.h"
#include "document/result.h"
#include "document/safe_file.h"

namespace tintwell::document {

// Where a C library (libtiff, libpng) reads from, or writes to, at a position of its own: the
// file that was opened once, or the new file of a safe save. Its messages are kept here, never
// printed; the first error it gave, and the first write that failed, are why the file is
// refused.
class LibraryIo {
public:
    explicit LibraryIo(ByteSource& source) : m_source(&source) {}
    explicit LibraryIo(SafeFile& file) : m_file(&file) {}

    // Reads from the position on; returns how many bytes came (fewer only at the end).
    std::size_t Read(std::span<std::uint8_t> out);
    // Writes at the position; false once a write has failed.
    bool Write(std::span<const std::uint8_t> bytes);
    std::uint64_t Position() const { return m_position; }
    void SetPosition(std::uint64_t at) { m_position = at; }
    std::uint64_t Size() const;

    // The library's first error, without the name it was opened by.
    void KeepError(std::string message);
    bool HasFailed() const { return !m_error.empty() || !m_written; }
    // Why the file could not be read: damaged, in the library's words.
    Error ReadFailure(const char* library) const;
    // Why the file could not be written: the system's reason where a write failed.
    Error WriteFailure() const;

private:
    ByteSource* m_source = nullptr;
    SafeFile* m_file = nullptr;
    std::uint64_t m_position = 0;
    std::string m_error;
    Status m_written = Done{};
};

}  // namespace tintwell::document
