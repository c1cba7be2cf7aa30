#pragma once

#include "ControlTable.h"
#include "Dialog.h"
#include "FormView.h"

#include <QDialog>
#include <QFont>
#include <QPalette>

#include <map>

class QPushButton;

namespace forms {

// A dialog on screen, built from its control table: a QDialog of the stored
// client size holding a real widget for each control, placed at the nearest
// pixel. It follows the model and tells it when the user closes the window.
class QtDialogView : public QDialog, public FormView {
    Q_OBJECT
  public:
    QtDialogView(Dialog& dialog, QWidget* owner);
    ~QtDialogView() override;

    // The widget that shows a control. Its object name is the control's name,
    // with "_" and the index for a member of a control array.
    QWidget* widgetFor(const Control& control) const;

    TwipsSize resizeOuter(TwipsSize requested) override;
    void moveOuter(TwipsPoint topLeft) override;
    TwipsSize frameAllowance() const override;
    void setWindowState(WindowState state) override;
    std::uintptr_t nativeHandle() const override;

    void done(int result) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* build(Control& control, QWidget* parent);
    QSize decorations() const;

    Dialog& dialog_;
    std::map<const Control*, QWidget*> widgets_;
    QPushButton* cancel_ = nullptr;
};

// The font a stored font stands for: the face if it is installed, otherwise
// the closest installed sans-serif face, at the same point size.
QFont fontFor(const StoredFont& stored);
// An RGB colour as it is, a system colour from the palette.
QColor colorFor(OleColor color, const QPalette& palette);

} // namespace forms
