#pragma once

#include <QWidget>

#include "document/roll_model.h"

class QLineEdit;
class QToolButton;

namespace tintwell::ui {

// The roll's one set of points: six fields read as the roll program reads them. A field that
// cannot be used is marked and its tooltip says why; Undo and Redo step through the changes.
class RollPoints : public QWidget {
    Q_OBJECT
public:
    RollPoints(document::RollModel& model, QWidget* parent = nullptr);

private:
    void Edited();
    void ShowPoints();

    document::RollModel& m_model;
    engine::PerChannel<QLineEdit*> m_black{}, m_white{};
    QToolButton* m_undo = nullptr;
    QToolButton* m_redo = nullptr;
};

}  // namespace tintwell::ui
