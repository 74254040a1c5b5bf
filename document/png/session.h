#pragma once

#include <png.h>

#include "document/library_io.h"

namespace tintwell::document::png {

// libpng's read or write structures over our own reading and writing, destroyed with it. Its
// errors are kept in the LibraryIo, never printed, and end a libpng call by a long jump within
// its own C frames; the calls that may jump are made by functions whose frames hold nothing to
// destroy.
class Session {
public:
    Session(LibraryIo& io, bool writing);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool IsOpen() const { return m_png != nullptr && m_info != nullptr && m_end != nullptr; }
    png_structp Png() const { return m_png; }
    png_infop Info() const { return m_info; }
    png_infop End() const { return m_end; }

private:
    bool m_writing;
    png_structp m_png = nullptr;
    png_infop m_info = nullptr, m_end = nullptr;
};

}  // namespace tintwell::document::png
