#include "document/png/session.h"

namespace tintwell::document::png {
namespace {

LibraryIo& IoOf(png_structp png) {
    return *static_cast<LibraryIo*>(png_get_io_ptr(png));
}

void OnError(png_structp png, png_const_charp message) {
    static_cast<LibraryIo*>(png_get_error_ptr(png))->KeepError(message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadBytes(png_structp png, png_bytep data, std::size_t size) {
    if (IoOf(png).Read(std::span(data, size)) != size)
        png_error(png, "the file ends before the picture does (truncated)");
}

void WriteBytes(png_structp png, png_bytep data, std::size_t size) {
    if (!IoOf(png).Write(std::span<const std::uint8_t>(data, size)))
        png_error(png, "it could not be written");
}

void Flush(png_structp) {}

}  // namespace

Session::Session(LibraryIo& io, bool writing) : m_writing(writing) {
    m_png = writing ? png_create_write_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning)
                    : png_create_read_struct(PNG_LIBPNG_VER_STRING, &io, OnError, OnWarning);
    if (m_png == nullptr) return;
    m_info = png_create_info_struct(m_png);
    m_end = png_create_info_struct(m_png);
    if (writing) {
        png_set_write_fn(m_png, &io, WriteBytes, Flush);
    } else {
        png_set_read_fn(m_png, &io, ReadBytes);
    }
}

Session::~Session() {
    if (m_writing) {
        png_destroy_info_struct(m_png, &m_end);
        png_destroy_write_struct(&m_png, &m_info);
    } else {
        png_destroy_read_struct(&m_png, &m_info, &m_end);
    }
}

}  // namespace tintwell::document::png
