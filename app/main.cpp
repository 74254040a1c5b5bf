#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "app/command_line.h"
#include "platform/qt_platform.h"
#include "ui/form1.h"
#include "ui/qt_worker.h"
#include "ui/roll_window.h"
#include "version.h"

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

// --help and --version answer without a display.
int AnswerAlone(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            std::fputs(tintwell::app::UsageText().c_str(), stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts("tintwell " TINTWELL_VERSION);
            return 0;
        }
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int answered = AnswerAlone(argc, argv); answered >= 0) return answered;
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
    // What QApplication leaves of the command line (it takes its own options out).
    const tintwell::app::CommandLine line =
        tintwell::app::ReadCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.action == tintwell::app::CommandLine::Action::Wrong) {
        std::fprintf(stderr, "tintwell: %s (tintwell --help lists the options)\n",
                     line.wrong.c_str());
        return 2;
    }
    QCoreApplication::setOrganizationName(QStringLiteral("Tintwell"));
    QCoreApplication::setApplicationName(QStringLiteral("Tintwell"));
    tintwell::platform::QtPlatform platform;
    // The roll window goes after its worker has stopped: the worker's jobs work on its model.
    std::unique_ptr<tintwell::ui::RollWindow> roll;
    tintwell::ui::QtWorker worker(std::max(1u, std::thread::hardware_concurrency()));
    const auto showRoll = [&] {
        if (!roll) roll = std::make_unique<tintwell::ui::RollWindow>(platform, worker);
        roll->show();
        roll->raise();
        roll->activateWindow();
        return roll.get();
    };
    if (line.action == tintwell::app::CommandLine::Action::Roll) {
        showRoll()->Open(line.paths);
        return app.exec();
    }
    tintwell::ui::Form1 window(platform);
    QObject::connect(&window, &tintwell::ui::Form1::RollAsked, [&] { showRoll()->AskForFiles(false); });
    window.show();
    // Open With: the files open as a drop would, once the window is on the screen with its frame.
    if (!line.paths.empty()) window.OpenWhenShown(line.paths);
    return app.exec();
}
