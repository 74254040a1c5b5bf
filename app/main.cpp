#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "platform/qt_platform.h"
#include "ui/form1.h"

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
    // The launcher entry and the icon that an installed copy finds in the icon theme.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tintwell.Tintwell"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tintwell.Tintwell")));
    tintwell::platform::QtPlatform platform;
    tintwell::ui::Form1 window(platform);
    window.show();
    return app.exec();
}
