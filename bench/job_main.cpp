// The whole job without a window, on the same code path as the window's commands: read the
// file, settle the six level texts, run the pass with a yield to the event loop after every row,
// and save over the file.
//
//   tintwell_job FILE.bmp BR BG BB WR WG WB [--report]
#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <string>

#include "document/picture_document.h"
#include "document/reason.h"
#include "engine/correction_pass.h"
#include "engine/levels.h"

namespace {

using namespace tintwell;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 8) {
        std::fprintf(stderr, "usage: tintwell_job FILE.bmp BR BG BB WR WG WB [--report]\n");
        return 2;
    }
    const bool report = argc > 8 && std::string(argv[8]) == "--report";
    document::PictureDocument doc;

    auto start = std::chrono::steady_clock::now();
    const document::Status picture = doc.Open(argv[1]);
    if (!picture) {
        std::fprintf(stderr, "tintwell_job: can't read %s: %s\n", argv[1],
                     tintwell::document::Reason(picture.Failure()).c_str());
        return 1;
    }
    const double load = Seconds(start);

    start = std::chrono::steady_clock::now();
    const engine::FactorsResult factors =
        engine::CalcFactors({argv[2], argv[3], argv[4]}, {argv[5], argv[6], argv[7]});
    if (factors.error) {
        std::fprintf(stderr, "tintwell_job: the settings can't be used\n");
        return 1;
    }
    engine::BufferSurface surface(doc.Pixels());
    engine::RunCorrectionPass(surface, factors.levels, [](int) {
        QCoreApplication::processEvents();
        return true;
    });
    const double pass = Seconds(start);

    start = std::chrono::steady_clock::now();
    const document::Status saved = doc.Save();
    if (!saved) {
        std::fprintf(stderr, "tintwell_job: can't save: %s\n",
                     tintwell::document::Reason(saved.Failure()).c_str());
        return 1;
    }
    if (report)
        std::printf("load %.3f s, process %.3f s, save %.3f s\n", load, pass, Seconds(start));
    return 0;
}
