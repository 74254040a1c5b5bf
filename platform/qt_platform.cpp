#include "platform/qt_platform.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>

namespace tintwell::platform {

Answer QtPlatform::MsgBox(const std::string& prompt, MsgStyle style, const std::string& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(prompt));
    switch (style) {
        case MsgStyle::OkForeground:
            box.setIcon(QMessageBox::NoIcon);
            box.setStandardButtons(QMessageBox::Ok);
            box.setWindowFlag(Qt::WindowStaysOnTopHint);
            break;
        case MsgStyle::Information:
            box.setIcon(QMessageBox::Information);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgStyle::YesNoWarning:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::No);
            break;
    }
    box.show();
    box.raise();
    box.activateWindow();
    const int chosen = box.exec();
    if (chosen == QMessageBox::Yes) return Answer::Yes;
    if (chosen == QMessageBox::No) return Answer::No;
    return Answer::Ok;
}

void QtPlatform::Beep() {
    QApplication::beep();
}

void QtPlatform::DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

// The pointer is set for the whole application, over every control, until it is set again.
void QtPlatform::SetMousePointer(Pointer pointer) {
    const QCursor cursor(pointer == Pointer::Busy ? Qt::WaitCursor : Qt::ArrowCursor);
    if (m_cursorOverridden) {
        QGuiApplication::changeOverrideCursor(cursor);
    } else {
        QGuiApplication::setOverrideCursor(cursor);
        m_cursorOverridden = true;
    }
}

void QtPlatform::End() {
    QCoreApplication::exit(0);
}

}  // namespace tintwell::platform
