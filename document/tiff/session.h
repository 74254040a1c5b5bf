#pragma once

#include <tiffio.h>

#include <memory>

#include "document/library_io.h"

namespace tintwell::document::tiff {

// One TIFF file open through libtiff, over our own reading and writing (see LibraryIo): libtiff
// reads the file that was opened once, and writes into the new file of a safe save.
class Session {
public:
    static std::unique_ptr<Session> ForReading(ByteSource& source);
    // Big-endian or not, and BigTIFF or not, as the file read was.
    static std::unique_ptr<Session> ForWriting(SafeFile& file, bool bigEndian, bool bigTiff);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    TIFF* Tiff() const { return m_tiff; }
    const LibraryIo& Io() const { return m_io; }
    bool HasFailed() const { return m_io.HasFailed(); }
    Error ReadFailure() const { return m_io.ReadFailure("libtiff"); }
    Error WriteFailure() const { return m_io.WriteFailure(); }
    // Writes what libtiff holds back and closes; the failure, if any.
    Status Finish();

private:
    explicit Session(LibraryIo io) : m_io(std::move(io)) {}
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

    LibraryIo m_io;
    TIFF* m_tiff = nullptr;
};

}  // namespace tintwell::document::tiff
