#pragma once

#include <QWidget>

#include "document/roll_model.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace tintwell::ui {

// The roll's one set of settings: six point fields read as the roll program reads them, or, for
// a roll of negatives, the shadow and highlight densities in the same fields with the film base
// and the contrast. A field that cannot be used is marked and its tooltip says why; Undo and
// Redo step through the changes.
class RollPoints : public QWidget {
    Q_OBJECT
public:
    RollPoints(document::RollModel& model, QWidget* parent = nullptr);

private:
    void Edited();
    void ShowSettings();
    void ShowNames(bool negative);
    void Mark(QLineEdit* field, int colour, const std::string& text, const QString& wrong,
              const char* tip);

    document::RollModel& m_model;
    QCheckBox* m_negative = nullptr;
    QCheckBox* m_mono = nullptr;
    QLabel* m_firstRow = nullptr;
    QLabel* m_secondRow = nullptr;
    QWidget* m_negativeRows = nullptr;
    engine::PerChannel<QLineEdit*> m_black{}, m_white{}, m_base{};
    QLineEdit* m_contrast = nullptr;
    QToolButton* m_undo = nullptr;
    QToolButton* m_redo = nullptr;
};

}  // namespace tintwell::ui
