#include "document/picture_document.h"

#include "document/codec.h"
#include "document/intake.h"
#include "document/safe_file.h"

namespace tintwell::document {

Status PictureDocument::Read(const std::string& path) {
    auto taken = TakeIn(path, Names::BmpOnly, *m_fs);
    if (!taken) return taken.Failure();
    m_picture = std::move(taken.Value().picture);
    m_changed = false;
    return Done{};
}

Status PictureDocument::Open(const std::string& path) {
    Status read = Read(path);
    if (read) m_path = path;
    return read;
}

Status PictureDocument::Reload() {
    if (!HasFile()) return Fail(Problem::NoPicture);
    return Read(m_path);
}

// The window's Save writes what it shows over the file, as the user asked: a Windows bitmap.
Status PictureDocument::Save() {
    if (!HasFile()) return Fail(Problem::NoPicture);
    auto file = SafeFile::Create(m_path, *m_fs);
    if (!file) return file.Failure();
    if (auto ok = BmpCodec().Write(m_picture, file.Value()); !ok) return ok;
    if (auto ok = file.Value().Commit(); !ok) return ok;
    m_changed = false;
    return Done{};
}

}  // namespace tintwell::document
