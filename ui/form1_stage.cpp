#include "ui/form1_stage.h"

namespace tintwell::ui {

Commands CommandsFor(Stage stage) {
    switch (stage) {
        case Stage::NoPicture:
            return {};
        case Stage::Unchanged:
            return {.process = true};
        case Stage::Processing:
            return {.cancel = true, .exit = false, .drop = false, .picture = false};
        case Stage::Processed:
            return {.reload = true, .save = true};
        case Stage::Stranded:
            return {.reload = true};
    }
    return {};
}

}  // namespace tintwell::ui
