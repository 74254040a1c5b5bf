#include "ui/drop_label.h"

#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <optional>

namespace tintwell::ui {

namespace {

// The path of a file: URI ("file:///p", "file://localhost/p" or "file:/p"), percent-decoded to
// bytes; nothing for another scheme or host.
std::optional<std::string> LocalPath(std::string_view uri) {
    constexpr std::string_view kScheme = "file:";
    if (uri.size() < kScheme.size() ||
        QByteArray(uri.data(), kScheme.size()).toLower() != QByteArrayView(kScheme))
        return std::nullopt;
    uri.remove_prefix(kScheme.size());
    if (uri.starts_with("//")) {
        uri.remove_prefix(2);
        const std::size_t slash = uri.find('/');
        const std::string_view host = uri.substr(0, slash);
        if (slash == std::string_view::npos || !(host.empty() || host == "localhost"))
            return std::nullopt;
        uri.remove_prefix(slash);
    }
    if (!uri.starts_with('/')) return std::nullopt;
    const QByteArray path =
        QByteArray::fromPercentEncoding(QByteArray(uri.data(), static_cast<qsizetype>(uri.size())));
    // A name holds no NUL: "%00" would make the system open a shorter name than the one tested.
    if (path.contains('\0')) return std::nullopt;
    return path.toStdString();
}

}  // namespace

std::vector<std::string> PathsOfUriList(std::string_view uriList) {
    std::vector<std::string> paths;
    while (!uriList.empty()) {
        const std::size_t end = uriList.find('\n');
        std::string_view line = uriList.substr(0, end);
        uriList.remove_prefix(end == std::string_view::npos ? uriList.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        if (line.empty() || line.front() == '#') continue;
        if (auto path = LocalPath(line)) paths.push_back(std::move(*path));
    }
    return paths;
}

// The list as the drag carried it where it is there; else what Qt made of it.
std::vector<std::string> DroppedFiles(const QMimeData& data) {
    const QByteArray list = data.data(QStringLiteral("text/uri-list"));
    if (!list.isEmpty()) return PathsOfUriList(std::string_view(list.constData(), list.size()));
    std::vector<std::string> files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return files;
}

DropLabel::DropLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    setAcceptDrops(true);
}

// Every drop is taken, so that a wrong one can be answered with a message.
void DropLabel::dragEnterEvent(QDragEnterEvent* event) {
    if (isEnabled()) event->acceptProposedAction();
}

void DropLabel::dragMoveEvent(QDragMoveEvent* event) {
    if (isEnabled()) event->acceptProposedAction();
}

void DropLabel::dropEvent(QDropEvent* event) {
    if (!isEnabled()) return;
    event->acceptProposedAction();
    emit Dropped(event->mimeData());
}

}  // namespace tintwell::ui
