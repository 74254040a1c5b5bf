// Process, Cancel, EXIT, Reload and Save.
#include <QLineEdit>
#include <QPushButton>

#include "document/reason.h"
#include "engine/correction_pass.h"
#include "ui/colours.h"
#include "ui/drop_label.h"
#include "ui/form1.h"
#include "ui/histogram_window.h"
#include "ui/picture_box.h"

namespace tintwell::ui {

// The six fields as the model settled them when they were last edited: the settled black-point
// texts are written back; what is wrong is said when a channel cannot be settled.
bool Form1::SettleLevels(engine::Levels& levels) {
    const engine::FactorsResult result = m_model.Points().lenient;
    for (int c = 0; c < result.settled; ++c)
        m_c.txtBlack[c]->setText(QString::fromStdString(result.blackTexts[c]));
    if (result.error) {
        Tell(document::SettingsMessage(*result.error));
        return false;
    }
    levels = result.levels;
    return true;
}

void Form1::btnProcess_Click() {
    engine::Levels levels;
    if (!SettleLevels(levels)) return;
    if (engine::IsNothingToDo(levels)) {
        m_platform.MsgBox(engine::kNothingToDo, platform::MsgStyle::Information, "Tintwell");
        return;
    }
    SetStage(Stage::Processing);
    const engine::PassResult result = [&] {
        platform::BusyPointer busy(m_platform);
        engine::BufferSurface surface(m_document.Pixels());
        return engine::RunCorrectionPass(surface, levels, [this](int row) { return RowDone(row); });
    }();
    m_c.picture1->FlushRepaint();
    if (m_closing == Closing::AfterThePass) {
        // The window was closed during the pass: nothing is written, the program ends.
        m_closing = Closing::Ended;
        m_platform.End();
        return;
    }
    PassEnded(result, levels);
}

// After a completed pass the picture can be saved or thrown away; after a cancelled one it is
// the file's again and can be processed. If it could not be read again, only Reload is offered.
void Form1::PassEnded(engine::PassResult result, const engine::Levels& levels) {
    m_platform.SetMousePointer(platform::Pointer::Arrow);
    if (result == engine::PassResult::Completed) {
        m_histogram->PictureLevelled(levels);
        m_document.MarkChanged();
        SetStage(Stage::Processed);
        m_platform.Beep();
        return;
    }
    const document::Status reloaded = Reload();
    SetStage(reloaded ? Stage::Unchanged : Stage::Stranded);
    if (!reloaded) {
        Tell("Can't reload " + m_document.Path() +
             " after cancelling: " + document::Reason(reloaded.Failure()) +
             ". The picture shown is only partly corrected; it can't be saved or processed.");
    }
}

// After each row the view catches up and the window yields to its events, Cancel's among them;
// a cancel is noticed here.
bool Form1::RowDone(int row) {
    m_c.picture1->RowChanged(row);
    m_platform.DoEvents();
    return !m_model.CancelAsked();
}

// The controls each stage offers, and what the model is told of it: a pass is under way, or the
// picture holds a correction.
void Form1::SetStage(Stage stage) {
    m_stage = stage;
    const Commands c = CommandsFor(stage);
    m_c.btnProcess->setEnabled(c.process);
    m_c.btnStop->setEnabled(c.cancel);
    m_c.btnReload->setEnabled(c.reload);
    m_c.btnSave->setEnabled(c.save);
    m_c.btnExit->setEnabled(c.exit);
    Paint(m_c.label3, c.drop ? kDarkGrey : kLightGrey);
    m_c.label3->setEnabled(c.drop);
    m_c.picture1->setEnabled(c.picture);
    m_model.SetBusy(stage == Stage::Processing);
    m_model.SetCorrected(stage == Stage::Processed || stage == Stage::Stranded);
}

void Form1::btnStop_Click() {
    m_model.AskCancel();
}

void Form1::btnExit_Click() {
    platform::Answer answer = platform::Answer::Yes;
    if (PictureChanged()) {
        answer = m_platform.MsgBox("Really exit without saving?", platform::MsgStyle::YesNoWarning,
                                   "Tintwell");
    }
    if (answer != platform::Answer::Yes) return;
    m_closing = Closing::Ended;
    m_platform.End();
}

document::Status Form1::Reload() {
    const document::Status reloaded = m_document.Reload();
    if (reloaded) PictureShown(true);
    return reloaded;
}

void Form1::btnReload_Click() {
    const document::Status reloaded = Reload();
    if (!reloaded) {
        return Tell("Can't reload " + m_document.Path() + ": " +
                    document::Reason(reloaded.Failure()) + ". The picture shown is unchanged.");
    }
    SetStage(Stage::Unchanged);
}

void Form1::btnSave_Click() {
    const document::Status saved = m_document.Save();
    if (!saved) Tell(document::CantSave(m_document.Path(), saved.Failure()));
}

}  // namespace tintwell::ui
