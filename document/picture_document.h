#pragma once

#include <string>

#include "document/result.h"
#include "engine/pixel_buffer.h"

namespace tintwell::document {

// The file the shown picture came from, and whether the picture holds changes the file does
// not. The path changes only when a new file has been read successfully, so a refused drop
// never leaves Save or Reload pointing at another file.
class PictureDocument {
public:
    // Reads a dropped file; on success it becomes this document's file, unchanged.
    Result<engine::PixelBuffer> Open(const std::string& path);
    // Reads the document's file again; on success the picture is unchanged.
    Result<engine::PixelBuffer> Reload();
    // Writes the picture over the document's file; on success the picture is unchanged.
    Status Save(const engine::PixelBuffer& picture);

    void MarkChanged() { m_changed = true; }
    bool IsChanged() const { return m_changed; }
    bool HasFile() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
    bool m_changed = false;
};

}  // namespace tintwell::document
