#pragma once

#include <QListWidget>

#include "document/roll_model.h"

namespace tintwell::ui {

// The roll's frames in a row, each a thumbnail with its name, size and depth, marked as it is
// read, refused (with the reason in its tooltip and accessible description), corrected or not.
// A click chooses the frame shown.
class FrameStrip : public QListWidget {
    Q_OBJECT
public:
    explicit FrameStrip(QWidget* parent = nullptr);

    // Shows the frames as they are now, and which one is shown.
    void ShowFrames(const std::vector<document::Frame>& frames, std::optional<std::size_t> shown);

signals:
    void FrameChosen(std::size_t index);
};

}  // namespace tintwell::ui
