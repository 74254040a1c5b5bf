// A drag source for the desktop test, as a file manager built on Qt is one: a small window of its
// own that, pressed and dragged from, drags files (as a text/uri-list) or a piece of text by XDND.
//
//   drag_source FILE... | --text TEXT
//
// Says "taken" or "refused" once the drop is over, then stays a while: the target reads the
// dragged data from it after the drop.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <cstdio>

namespace {

class Source : public QWidget {
public:
    explicit Source(QStringList args) : m_args(std::move(args)) {}

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* data = new QMimeData;
        if (m_args.value(0) == QStringLiteral("--text")) {
            data->setText(m_args.value(1));
        } else {
            QList<QUrl> urls;
            for (const QString& file : m_args) urls << QUrl::fromLocalFile(file);
            data->setUrls(urls);
        }
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const bool taken = drag->exec(Qt::CopyAction) != Qt::IgnoreAction;
        hide();
        std::printf("%s\n", taken ? "taken" : "refused");
        std::fflush(stdout);
    }

private:
    QStringList m_args;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Source source(QApplication::arguments().mid(1));
    source.setWindowTitle(QStringLiteral("drag source"));
    // Placed where the test presses, whatever the window manager would do with it.
    source.setWindowFlags(Qt::X11BypassWindowManagerHint | Qt::FramelessWindowHint);
    source.setGeometry(1220, 940, 50, 40);
    source.show();
    QTimer::singleShot(20000, [] { QCoreApplication::quit(); });
    return app.exec();
}
