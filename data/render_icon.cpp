// Draws the SVG icon as a PNG of the size asked for: the hicolor theme wants one at 256 px.
//   render_icon IN.svg OUT.png SIZE
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: render_icon IN.svg OUT.png SIZE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "render_icon: can't read %s\n", argv[1]);
        return 1;
    }
    const int size = std::atoi(argv[3]);
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    svg.render(&painter);
    painter.end();
    return icon.save(QString::fromLocal8Bit(argv[2]), "PNG") ? 0 : 1;
}
