#pragma once

#include <QLabel>
#include <string>
#include <string_view>
#include <vector>

class QMimeData;

namespace tintwell::ui {

// The local file names of a text/uri-list, as the bytes they name on disk: a name that is not
// valid UTF-8 is kept as it is, not spoilt by decoding. Web links and other hosts name none.
std::vector<std::string> PathsOfUriList(std::string_view uriList);

// The local file names a drop carries: text and web links carry none.
std::vector<std::string> DroppedFiles(const QMimeData& data);

// A label that takes every drop while it is enabled and hands over what was dropped.
class DropLabel : public QLabel {
    Q_OBJECT
public:
    explicit DropLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void Dropped(const QMimeData* data);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

}  // namespace tintwell::ui
