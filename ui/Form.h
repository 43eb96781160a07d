#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QObject;
class QWidget;

namespace ui {

class Form;
class FormWindow;

// Window frames: fixed dialog or resizable, with the title-bar controls given.
enum class Frame {
    FixedNoControls,    // fixed size; no minimise, maximise or close
    FixedCloseOnly,     // fixed size; close only; not in the task bar
    Sizable,            // resizable; minimise, maximise and close
    SizableNoControls,  // resizable; no minimise, maximise or close
    SizableCloseOnly,   // resizable; close only
    ToolNoControls,     // resizable; no minimise, maximise or close; not in the task bar
};

constexpr bool hasCloseControl(Frame frame)
{
    return frame == Frame::FixedCloseOnly || frame == Frame::Sizable || frame == Frame::SizableCloseOnly;
}

constexpr bool inTaskBar(Frame frame) { return frame != Frame::FixedCloseOnly && frame != Frame::ToolNoControls; }

// A window as designed, in twips: caption, client size, and the client
// area's position on the screen (or centred).
struct WindowDesign {
    QString caption;
    int width = 0;
    int height = 0;
    bool centred = false;
    int left = 0;
    int top = 0;
    Frame frame = Frame::Sizable;
};

// Knows every form, reports what happens to them and ends the run.
class Registry {
public:
    enum class Op { Create, Show, Hide, Unload };

    // Told of every create, show, hide and unload, in order.
    std::function<void(const QString& form, Op op)> observer;
    // Replaces leaving the event loop (tests).
    std::function<void()> onEnd;

    void add(Form* form) { forms_.append(form); }
    const QList<Form*>& forms() const { return forms_; }
    bool anyVisible() const;

    // The form shown when closing a window from its frame leaves none visible.
    void setFallback(Form* form) { fallback_ = form; }

    // Leaves the event loop at once.
    void end();
    bool ended() const { return ended_; }

    static QString opName(Op op);

private:
    friend class Form;
    friend class FormWindow;
    void report(const Form& form, Op op);
    void frameClosed(Form& form);

    QList<Form*> forms_;
    Form* fallback_ = nullptr;
    bool ended_ = false;
};

// A form lives for the whole run and holds its public variables; its window
// and controls are built from the design on first use and destroyed on unload.
class Form {
public:
    Form(Registry& registry, QString name, WindowDesign design);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const QString& name() const { return name_; }
    const WindowDesign& design() const { return design_; }

    // Creates the window if needed: builds the controls, then runs the load step.
    void use();
    // Also brings back a window the user (or the window manager) minimised.
    void show();
    void hide();
    // Destroys window and controls if they exist. Safe from the form's own
    // handler: the widgets are released after it, the form is gone at once.
    void unload();

    bool exists() const { return window_ != nullptr; }
    bool isVisible() const;

    // The top-level window and the client area that holds the controls;
    // both use() the form.
    QWidget* window();
    QWidget* client();
    FormWindow* frame();

    // The context for connections from what outlives the window (a
    // document, the form itself) to its controls: they end the moment the
    // window is unloaded, although its widgets are released later. Null
    // while there is no window.
    QObject* windowScope() const { return scope_.get(); }

    // The client area's size in pixels as designed.
    QSize designSize() const;

protected:
    virtual void build(QWidget* client) = 0;
    virtual void Form_Load() {}
    // Forget the control pointers of the destroyed window.
    virtual void discard() {}
    // The custom card's client area is its window's; other forms keep their
    // designed client area whatever size the window is dragged to.
    virtual bool clientFollowsWindow() const { return false; }

    Registry& registry() { return registry_; }

private:
    friend class FormWindow;
    void create();

    Registry& registry_;
    QString name_;
    WindowDesign design_;
    FormWindow* window_ = nullptr;
    QWidget* client_ = nullptr;
    std::unique_ptr<QObject> scope_;
};

}  // namespace ui
