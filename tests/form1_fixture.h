#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>
#include <QUrl>
#include <memory>

#include "bmp_test_files.h"
#include "document/bmp/reader.h"
#include "document/bmp/writer.h"
#include "fake_platform.h"
#include "temp_dir.h"
#include "ui/drop_label.h"
#include "ui/form1.h"
#include "ui/picture_box.h"

namespace tintwell::tests {

// A window on the fake platform, with its controls found by name as a user's tools would.
struct Window {
    FakePlatform platform;
    std::unique_ptr<ui::Form1> form = std::make_unique<ui::Form1>(platform);

    Window() {
        form->show();
        (void)QTest::qWaitForWindowExposed(form.get());
    }

    template <typename W = QWidget>
    W* Find(const char* name) const {
        return form->findChild<W*>(QString::fromLatin1(name));
    }
    QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
    QLineEdit* Field(const char* name) const { return Find<QLineEdit>(name); }
    ui::PictureBox* Picture() const { return Find<ui::PictureBox>("Picture1"); }
    QString Title() const { return form->windowTitle(); }

    void Drop(QMimeData& data) const {
        QWidget* target = Find("Label3");
        const QPointF at(5, 5);
        QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QCoreApplication::sendPostedEvents();  // the layout the event loop would do next
    }
    void DropFiles(const QStringList& paths) const {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        Drop(data);
    }
    void DropFile(const std::filesystem::path& path) const {
        DropFiles({QString::fromStdString(path.string())});
    }
    void Click(const char* button) const { QTest::mouseClick(Button(button), Qt::LeftButton); }
    void SetLevels(const QStringList& texts) const {
        const std::array<const char*, 6> names = {"txtBlackR", "txtBlackG", "txtBlackB",
                                                  "txtWhiteR", "txtWhiteG", "txtWhiteB"};
        for (std::size_t i = 0; i < names.size(); ++i) Field(names[i])->setText(texts[i]);
    }
    QString LastMessage() const {
        return platform.messages.empty() ? QString()
                                         : QString::fromStdString(platform.messages.back().prompt);
    }
    // Enabled state of the five buttons, the drop target and the picture, in the order
    // Process, Cancel, Reload, Save, EXIT, Label3, Picture1.
    QString States() const {
        QString out;
        for (const char* name :
             {"btnProcess", "btnStop", "btnReload", "btnSave", "btnExit", "Label3", "Picture1"}) {
            out += Find(name)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
        }
        return out;
    }
};

// A 24-bit file with a known pattern, in a folder of its own.
inline std::filesystem::path WritePicture(const TempDir& dir, const std::string& name, int width,
                                          int height) {
    const std::filesystem::path path = dir / name;
    document::WriteBmp(Pattern(width, height), path);
    return path;
}

}  // namespace tintwell::tests
