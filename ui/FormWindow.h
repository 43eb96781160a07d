#pragma once

#include "ui/Form.h"

#include <QWidget>

namespace ui {

// The top-level window of a form: frame and placement from its design.
// A window without a close control refuses every close request; closing one
// with a close control unloads its form. Enter on a focused button presses
// it, as Space does (what takes Enter itself, a multi-line text box, keeps
// it).
class FormWindow final : public QWidget {
    Q_OBJECT
public:
    FormWindow(Form& form, Registry& registry);

    // Set when the form is unloaded, so that a late close does nothing.
    void detach() { form_ = nullptr; }

    static Qt::WindowFlags flagsFor(Frame frame);

Q_SIGNALS:
    // The window's size changed (by the user or the program) while its
    // form has it.
    void resized();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    Form* form_;
    Registry& registry_;
};

}  // namespace ui
