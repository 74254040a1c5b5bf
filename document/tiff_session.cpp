#include "document/tiff_session.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string_view>

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

}  // namespace

std::unique_ptr<Session> Session::ForReading(ByteSource& source) {
    std::unique_ptr<Session> session(new Session(&source, nullptr));
    session->Open("rm");  // no memory mapping: every byte comes through the source
    return session;
}

std::unique_ptr<Session> Session::ForWriting(SafeFile& file, bool bigEndian, bool bigTiff) {
    std::unique_ptr<Session> session(new Session(nullptr, &file));
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
    if (m_tiff == nullptr && m_error.empty()) m_error = "it cannot be opened as a TIFF file";
    return m_tiff != nullptr;
}

Session::~Session() {
    if (m_tiff != nullptr) TIFFClose(m_tiff);
}

Error Session::ReadFailure() const {
    return Damaged(m_error.empty() ? "libtiff could not read it" : m_error);
}

Error Session::WriteFailure() const {
    if (!m_io) return m_io.Failure();
    return Fail(Problem::CantWrite, m_error.empty() ? "" : "(" + m_error + ")");
}

Status Session::Finish() {
    const bool flushed = m_tiff != nullptr && TIFFFlush(m_tiff) == 1;
    if (m_tiff != nullptr) TIFFClose(m_tiff);
    m_tiff = nullptr;
    if (!flushed || HasFailed()) return WriteFailure();
    return Done{};
}

tmsize_t Session::ReadProc(thandle_t self, void* data, tmsize_t size) {
    auto* s = static_cast<Session*>(self);
    const std::span out(static_cast<std::uint8_t*>(data), static_cast<std::size_t>(size));
    const std::size_t got = s->m_source != nullptr ? s->m_source->ReadAt(s->m_position, out)
                                                   : s->m_file->ReadAt(s->m_position, out);
    s->m_position += got;
    return static_cast<tmsize_t>(got);
}

tmsize_t Session::WriteProc(thandle_t self, void* data, tmsize_t size) {
    auto* s = static_cast<Session*>(self);
    if (s->m_file == nullptr || !s->m_io) return -1;
    s->m_io = s->m_file->WriteAt(s->m_position, std::span(static_cast<const std::uint8_t*>(data),
                                                          static_cast<std::size_t>(size)));
    if (!s->m_io) return -1;
    s->m_position += static_cast<std::uint64_t>(size);
    return size;
}

toff_t Session::SeekProc(thandle_t self, toff_t offset, int whence) {
    auto* s = static_cast<Session*>(self);
    const std::uint64_t base = whence == SEEK_CUR   ? s->m_position
                               : whence == SEEK_END ? SizeProc(self)
                                                    : 0;
    s->m_position = base + offset;
    return s->m_position;
}

toff_t Session::SizeProc(thandle_t self) {
    auto* s = static_cast<Session*>(self);
    return s->m_source != nullptr ? s->m_source->Size() : s->m_file->Size();
}

int Session::OnError(TIFF*, void* self, const char*, const char* format, va_list args) {
    auto* s = static_cast<Session*>(self);
    if (s->m_error.empty()) {
        char text[400];
        std::vsnprintf(text, sizeof text, format, args);
        s->m_error = text;
        // Some messages start with the name the file was opened by, which says nothing here.
        constexpr std::string_view kName = "picture: ";
        if (s->m_error.starts_with(kName)) s->m_error.erase(0, kName.size());
    }
    return 1;
}

}  // namespace tintwell::document::tiff
