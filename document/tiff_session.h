#pragma once

#include <tiffio.h>

#include <cstdint>
#include <memory>
#include <string>

#include "document/byte_source.h"
#include "document/result.h"
#include "document/safe_file.h"

namespace tintwell::document::tiff {

// One TIFF file open through libtiff, over our own reading and writing: libtiff reads the
// file that was opened once, and writes into the new file of a safe save. Its messages are
// kept here, never printed; its first error is the reason a file is refused.
class Session {
public:
    static std::unique_ptr<Session> ForReading(ByteSource& source);
    // Big-endian or not, and BigTIFF or not, as the file read was.
    static std::unique_ptr<Session> ForWriting(SafeFile& file, bool bigEndian, bool bigTiff);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    TIFF* Tiff() const { return m_tiff; }
    bool HasFailed() const { return !m_error.empty() || !m_io; }
    // Why the file could not be read: damaged, in libtiff's words.
    Error ReadFailure() const;
    // Why the file could not be written: the system's reason where writing failed.
    Error WriteFailure() const;
    // Writes what libtiff holds back and closes; the failure, if any.
    Status Finish();

private:
    Session(ByteSource* source, SafeFile* file) : m_source(source), m_file(file) {}
    bool Open(const char* mode);

    static tmsize_t ReadProc(thandle_t self, void* data, tmsize_t size);
    static tmsize_t WriteProc(thandle_t self, void* data, tmsize_t size);
    static toff_t SeekProc(thandle_t self, toff_t offset, int whence);
    static toff_t SizeProc(thandle_t self);
    static int CloseProc(thandle_t) { return 0; }
    static int MapProc(thandle_t, void**, toff_t*) { return 0; }
    static void UnmapProc(thandle_t, void*, toff_t) {}
    static int OnError(TIFF*, void* self, const char* module, const char* format, va_list args);
    static int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

    ByteSource* m_source;
    SafeFile* m_file;
    TIFF* m_tiff = nullptr;
    std::uint64_t m_position = 0;
    std::string m_error;   // libtiff's first error
    Status m_io = Done{};  // the first failed write
};

}  // namespace tintwell::document::tiff
