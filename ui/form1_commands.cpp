// Process, Cancel, EXIT, Reload and Save.
#include <QLineEdit>
#include <QPushButton>

#include "document/intake.h"
#include "document/reason.h"
#include "engine/correction_pass.h"
#include "ui/colours.h"
#include "ui/drop_label.h"
#include "ui/form1.h"
#include "ui/histogram_window.h"
#include "ui/picture_box.h"
#include "ui/settings_message.h"

namespace tintwell::ui {
// Reads the six fields into black points and factors, writing back the settled black-point
// texts; says what is wrong when a channel cannot be settled.
bool Form1::SettleLevels() {
    const engine::FactorsResult result = engine::CalcFactors(FieldTexts(true), FieldTexts(false));
    for (int c = 0; c < result.settled; ++c) {
        m_levels.black[c] = result.levels.black[c];
        m_levels.factor[c] = result.levels.factor[c];
        m_c.txtBlack[c]->setText(QString::fromStdString(result.blackTexts[c]));
    }
    if (result.error) {
        Tell(SettingsMessage(*result.error));
        return false;
    }
    return true;
}

void Form1::btnProcess_Click() {
    if (!SettleLevels()) return;
    if (engine::IsNothingToDo(m_levels)) {
        m_platform.MsgBox(engine::kNothingToDo, platform::MsgStyle::Information, "Tintwell");
        return;
    }
    EnterProcessingState();
    const engine::PassResult result = [&] {
        platform::BusyPointer busy(m_platform);
        engine::BufferSurface surface(m_document.Pixels());
        return engine::RunCorrectionPass(surface, m_levels,
                                         [this](int row) { return RowDone(row); });
    }();
    m_c.picture1->FlushRepaint();
    m_processing = false;
    if (m_closeRequested) {
        // The window was closed during the pass: nothing is written, the program ends.
        m_ended = true;
        m_platform.End();
        return;
    }
    if (result == engine::PassResult::Completed) {
        m_histogram->PictureLevelled(m_levels);
        LeaveProcessingState(true, false);
        return;
    }
    const document::Status reloaded = Reload();
    LeaveProcessingState(false, reloaded.Ok());
    if (!reloaded) {
        Tell("Can't reload " + m_document.Path() +
             " after cancelling: " + document::Reason(reloaded.Failure()) +
             ". The picture shown is only partly corrected; it can't be saved or processed.");
    }
}

// After each row the view catches up and the window yields to its events, Cancel's among them;
// a cancel is noticed, and forgotten, here.
bool Form1::RowDone(int row) {
    m_c.picture1->RowChanged(row);
    m_platform.DoEvents();
    if (!m_cancelRequested) return true;
    m_cancelRequested = false;
    return false;
}

void Form1::EnterProcessingState() {
    m_processing = true;
    m_cancelRequested = false;
    m_c.btnStop->setEnabled(true);
    m_c.btnProcess->setEnabled(false);
    SetDropTargetBusy(true);
    m_c.btnReload->setEnabled(false);
    m_c.btnSave->setEnabled(false);
    m_c.btnExit->setEnabled(false);
    m_c.picture1->setEnabled(false);
    m_histogram->SetFrozen(true);
    UpdateLook();  // the pass writes into the picture: nothing is previewed meanwhile
}

// After a completed pass the picture can be saved or thrown away; after a cancelled one it is
// the file's again and can be processed. If it could not be reloaded, only Reload is offered.
void Form1::LeaveProcessingState(bool completed, bool reloaded) {
    SetDropTargetBusy(false);
    if (completed) m_c.btnReload->setEnabled(true);
    m_c.btnStop->setEnabled(false);
    m_c.btnSave->setEnabled(completed);
    m_c.btnProcess->setEnabled(!completed && reloaded);
    if (!completed && !reloaded) m_c.btnReload->setEnabled(true);
    m_c.btnExit->setEnabled(true);
    m_platform.SetMousePointer(platform::Pointer::Arrow);
    m_c.picture1->setEnabled(true);
    m_histogram->SetFrozen(false);
    UpdateLook();
    if (completed) {
        m_document.MarkChanged();
        m_platform.Beep();
    }
}

void Form1::SetDropTargetBusy(bool busy) {
    Paint(m_c.label3, busy ? kLightGrey : kDarkGrey);
    m_c.label3->setEnabled(!busy);
}

void Form1::btnStop_Click() {
    m_cancelRequested = true;
}

void Form1::btnExit_Click() {
    platform::Answer answer = platform::Answer::Yes;
    if (PictureChanged()) {
        answer = m_platform.MsgBox("Really exit without saving?", platform::MsgStyle::YesNoWarning,
                                   "Tintwell");
    }
    if (answer != platform::Answer::Yes) return;
    m_ended = true;
    m_platform.End();
}

document::Status Form1::Reload() {
    const document::Status reloaded = m_document.Reload();
    if (reloaded) PictureShown();
    return reloaded;
}

void Form1::btnReload_Click() {
    const document::Status reloaded = Reload();
    if (!reloaded) {
        return Tell("Can't reload " + m_document.Path() + ": " +
                    document::Reason(reloaded.Failure()) + ". The picture shown is unchanged.");
    }
    m_c.btnSave->setEnabled(false);
    m_c.btnProcess->setEnabled(true);
    m_c.btnReload->setEnabled(false);
    UpdateLook();
}

void Form1::btnSave_Click() {
    const document::Status saved = m_document.Save();
    if (!saved) {
        Tell(document::CantSave(m_document.Path(), saved.Failure()));
    }
}

}  // namespace tintwell::ui
