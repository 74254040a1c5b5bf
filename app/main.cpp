#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

namespace {

bool HasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fprintf(stderr, "tintwell: no display to open the window on (set DISPLAY).\n");
        return 1;
    }
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle("Tintwell");
    window.show();
    return app.exec();
}
