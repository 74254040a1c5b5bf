#pragma once

#include <QLabel>
#include <QStringList>

class QMimeData;

namespace tintwell::ui {

// The local file names a drop carries: text and web links carry none.
QStringList DroppedFiles(const QMimeData& data);

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
