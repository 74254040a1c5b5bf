#include "ui/drop_label.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>

namespace tintwell::ui {

QStringList DroppedFiles(const QMimeData& data) {
    QStringList files;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) files << url.toLocalFile();
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
