#include "document/library_io.h"

namespace tintwell::document {

std::size_t LibraryIo::Read(std::span<std::uint8_t> out) {
    const std::size_t got =
        m_source != nullptr ? m_source->ReadAt(m_position, out) : m_file->ReadAt(m_position, out);
    m_position += got;
    return got;
}

bool LibraryIo::Write(std::span<const std::uint8_t> bytes) {
    if (m_file == nullptr || !m_written) return false;
    m_written = m_file->WriteAt(m_position, bytes);
    if (!m_written) return false;
    m_position += bytes.size();
    return true;
}

std::uint64_t LibraryIo::Size() const {
    return m_source != nullptr ? m_source->Size() : m_file->Size();
}

void LibraryIo::KeepError(std::string message) {
    if (!m_error.empty()) return;
    // Some messages start with the name the file was opened by, which says nothing here.
    constexpr std::string_view kName = "picture: ";
    if (message.starts_with(kName)) message.erase(0, kName.size());
    m_error = std::move(message);
}

Error LibraryIo::ReadFailure(const char* library) const {
    return Damaged(m_error.empty() ? std::string(library) + " could not read it" : m_error);
}

Error LibraryIo::WriteFailure() const {
    if (!m_written) return m_written.Failure();
    return Fail(Problem::CantWrite, m_error.empty() ? "" : "(" + m_error + ")");
}

}  // namespace tintwell::document
