#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "platform/qt_platform.h"
#include "ui/form1.h"

namespace {

const char* DisplayName() {
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return nullptr;
}

// Qt's messages while it connects to the display are held back: where no display can be
// reached, one line says so instead of Qt's advice to reinstall the program.
QStringList g_held;

void WhileStarting(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "tintwell: no display to open the window on (%s can't be reached).\n",
                     DisplayName());
        std::fflush(stderr);
        _exit(1);
    }
    g_held << qFormatLogMessage(type, context, message);
}

}  // namespace

int main(int argc, char** argv) {
    if (DisplayName() == nullptr) {
        std::fprintf(stderr, "tintwell: no display to open the window on (set DISPLAY).\n");
        return 1;
    }
    const QtMessageHandler previous = qInstallMessageHandler(WhileStarting);
    QApplication app(argc, argv);
    qInstallMessageHandler(previous);
    for (const QString& line : g_held) std::fprintf(stderr, "%s\n", qPrintable(line));
    // The launcher entry and the icon that an installed copy finds in the icon theme.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tintwell.Tintwell"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tintwell.Tintwell")));
    tintwell::platform::QtPlatform platform;
    tintwell::ui::Form1 window(platform);
    window.show();
    // Open With: what QApplication leaves of the command line (it takes its own options out)
    // are files, taken as the bytes they were given as.
    // They open once the event loop runs, when the window is on the screen with its frame.
    const std::vector<std::string> files(argv + 1, argv + argc);
    if (!files.empty())
        QTimer::singleShot(0, &window, [&window, files] { window.OpenFiles(files); });
    return app.exec();
}
