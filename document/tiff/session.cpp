#include "document/tiff/session.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace tintwell::document::tiff {
namespace {

// No handle's message may reach the terminal: the global handlers print, so they go.
void SilenceLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

// Damaged files make libtiff ask for absurd amounts; a picture's strip never needs this much.
constexpr tmsize_t kMostOneAllocation = tmsize_t{512} << 20;

Session& Of(thandle_t self) {
    return *static_cast<Session*>(self);
}

}  // namespace

std::unique_ptr<Session> Session::ForReading(ByteSource& source) {
    std::unique_ptr<Session> session(new Session(LibraryIo(source)));
    session->Open("rm");  // no memory mapping: every byte comes through the source
    return session;
}

std::unique_ptr<Session> Session::ForWriting(SafeFile& file, bool bigEndian, bool bigTiff) {
    std::unique_ptr<Session> session(new Session(LibraryIo(file)));
    std::string mode = "wm";
    mode += bigEndian ? 'b' : 'l';
    if (bigTiff) mode += '8';
    session->Open(mode.c_str());
    return session;
}

bool Session::Open(const char* mode) {
    SilenceLibrary();
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return false;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMostOneAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, OnError, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, OnWarning, this);
    m_tiff = TIFFClientOpenExt("picture", mode, this, ReadProc, WriteProc, SeekProc, CloseProc,
                               SizeProc, MapProc, UnmapProc, options);
    TIFFOpenOptionsFree(options);
    if (m_tiff == nullptr) m_io.KeepError("it cannot be opened as a TIFF file");
    return m_tiff != nullptr;
}

Session::~Session() {
    if (m_tiff != nullptr) TIFFClose(m_tiff);
}

Status Session::Finish() {
    const bool flushed = m_tiff != nullptr && TIFFFlush(m_tiff) == 1;
    if (m_tiff != nullptr) TIFFClose(m_tiff);
    m_tiff = nullptr;
    if (!flushed || HasFailed()) return WriteFailure();
    return Done{};
}

tmsize_t Session::ReadProc(thandle_t self, void* data, tmsize_t size) {
    return static_cast<tmsize_t>(Of(self).m_io.Read(
        std::span(static_cast<std::uint8_t*>(data), static_cast<std::size_t>(size))));
}

tmsize_t Session::WriteProc(thandle_t self, void* data, tmsize_t size) {
    const bool written = Of(self).m_io.Write(
        std::span(static_cast<const std::uint8_t*>(data), static_cast<std::size_t>(size)));
    return written ? size : -1;
}

toff_t Session::SeekProc(thandle_t self, toff_t offset, int whence) {
    LibraryIo& io = Of(self).m_io;
    const std::uint64_t base = whence == SEEK_CUR   ? io.Position()
                               : whence == SEEK_END ? io.Size()
                                                    : 0;
    io.SetPosition(base + offset);
    return io.Position();
}

toff_t Session::SizeProc(thandle_t self) {
    return Of(self).m_io.Size();
}

int Session::OnError(TIFF*, void* self, const char*, const char* format, va_list args) {
    char text[400];
    std::vsnprintf(text, sizeof text, format, args);
    Of(self).m_io.KeepError(text);
    return 1;
}

}  // namespace tintwell::document::tiff
