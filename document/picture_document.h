#pragma once

#include <string>

#include "document/file_system.h"
#include "document/picture.h"
#include "document/result.h"

namespace tintwell::document {

// The window's picture and the file it came from, and whether the picture holds changes the
// file does not. The views show and the pass corrects the picture held here. The path and the
// picture change only when a new file has been read whole, so a refused drop never leaves
// Save or Reload pointing at another file.
class PictureDocument {
public:
    explicit PictureDocument(FileSystem& system = RealFileSystem()) : m_fs(&system) {}

    // Takes in a dropped file by the window's rule; on success it is this document's file and
    // picture, unchanged.
    Status Open(const std::string& path);
    // Reads the document's file again; on success the picture is the file's, unchanged.
    Status Reload();
    // Writes the picture over the document's file as a bitmap; on success it is unchanged.
    Status Save();

    engine::PixelBuffer& Pixels() { return m_picture.pixels; }
    const engine::PixelBuffer& Pixels() const { return m_picture.pixels; }
    void MarkChanged() { m_changed = true; }
    bool IsChanged() const { return m_changed; }
    bool HasFile() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }

private:
    Status Read(const std::string& path);

    FileSystem* m_fs;
    std::string m_path;
    Picture m_picture;
    bool m_changed = false;
};

}  // namespace tintwell::document
