#include "document/picture_document.h"

#include "document/bmp_reader.h"
#include "document/bmp_writer.h"

namespace tintwell::document {

Result<engine::PixelBuffer> PictureDocument::Open(const std::string& path) {
    auto picture = ReadBmp(path);
    if (picture) {
        m_path = path;
        m_changed = false;
    }
    return picture;
}

Result<engine::PixelBuffer> PictureDocument::Reload() {
    if (!HasFile()) return Fail(Problem::NoPicture);
    auto picture = ReadBmp(m_path);
    if (picture) m_changed = false;
    return picture;
}

Status PictureDocument::Save(const engine::PixelBuffer& picture) {
    if (!HasFile()) return Fail(Problem::NoPicture);
    Status saved = WriteBmp(picture, m_path);
    if (saved) m_changed = false;
    return saved;
}

}  // namespace tintwell::document
