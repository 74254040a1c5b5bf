#pragma once

namespace tintwell::ui {

// Where the main window is in its work, which decides the commands it offers.
enum class Stage {
    NoPicture,   // at start
    Unchanged,   // the picture is its file's: after a drop, Reload, or a cancelled pass
    Processing,  // a pass is running
    Processed,   // after a completed pass, saved or not
    Stranded,    // a cancelled pass whose file could not be read again: only Reload helps
};

// Which controls are enabled.
struct Commands {
    bool process = false, cancel = false, reload = false, save = false, exit = true;
    bool drop = true, picture = true;
    bool operator==(const Commands&) const = default;
};

Commands CommandsFor(Stage stage);

}  // namespace tintwell::ui
