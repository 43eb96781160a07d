#include "ui/Form.h"

#include "ui/FormWindow.h"
#include "ui/Units.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace ui {

namespace {

// Keeps a window that is about to be shown out of the task bar. Qt's tool
// windows are utility windows, which task bars still list; X11 has the
// window state _NET_WM_STATE_SKIP_TASKBAR for it. A window manager drops a
// window's states when it is hidden, so they are set on the hidden window
// before every show; Qt adds its own states to those it finds there.
void keepOutOfTaskBar(QWidget* window)
{
#if QT_CONFIG(xcb)
    // Only windows of the xcb platform are X11 windows.
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection() || QGuiApplication::platformName() != QLatin1String("xcb") || window->isVisible())
        return;
    xcb_connection_t* connection = x11->connection();
    const auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply =
            xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        free(reply);
        return value;
    };
    const xcb_atom_t state = atom("_NET_WM_STATE");
    const xcb_atom_t skip = atom("_NET_WM_STATE_SKIP_TASKBAR");
    if (state == XCB_ATOM_NONE || skip == XCB_ATOM_NONE)
        return;
    const auto id = xcb_window_t(window->winId());
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 1024), nullptr);
    bool present = false;
    if (reply && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        present = std::find(atoms, atoms + reply->value_len, skip) != atoms + reply->value_len;
    }
    free(reply);
    if (!present)
        xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1, &skip);
    xcb_flush(connection);
#else
    Q_UNUSED(window);
#endif
}

}  // namespace

// Registry ---------------------------------------------------------------

QString Registry::opName(Op op)
{
    switch (op) {
    case Op::Create: return QStringLiteral("create");
    case Op::Show: return QStringLiteral("show");
    case Op::Hide: return QStringLiteral("hide");
    case Op::Unload: return QStringLiteral("unload");
    }
    return {};
}

bool Registry::anyVisible() const
{
    return std::any_of(forms_.begin(), forms_.end(), [](const Form* f) { return f->isVisible(); });
}

void Registry::report(const Form& form, Op op)
{
    if (observer)
        observer(form.name(), op);
}

void Registry::end()
{
    ended_ = true;
    if (onEnd)
        onEnd();
    else
        QCoreApplication::exit(0);
}

void Registry::frameClosed(Form& form)
{
    form.unload();
    if (fallback_ && !ended_ && !anyVisible())
        fallback_->show();
}

// FormWindow -------------------------------------------------------------

Qt::WindowFlags FormWindow::flagsFor(Frame frame)
{
    const Qt::WindowFlags custom = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    switch (frame) {
    case Frame::FixedNoControls: return Qt::Window | custom;
    case Frame::FixedCloseOnly: return Qt::Tool | custom | Qt::WindowCloseButtonHint;
    case Frame::Sizable:
        return Qt::Window | custom | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
    case Frame::SizableNoControls: return Qt::Window | custom;
    case Frame::SizableCloseOnly: return Qt::Window | custom | Qt::WindowCloseButtonHint;
    case Frame::ToolNoControls: return Qt::Tool | custom;
    }
    return Qt::Window;
}

FormWindow::FormWindow(Form& form, Registry& registry)
    : QWidget(nullptr, flagsFor(form.design().frame)), form_(&form), registry_(registry)
{
    setObjectName(form.name());
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    if (!form_ || !hasCloseControl(form_->design().frame)) {
        event->ignore();
        return;
    }
    registry_.frameClosed(*form_);
    event->accept();
}

void FormWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (form_ && form_->client_ && form_->clientFollowsWindow())
        form_->client_->resize(size());
    if (form_)
        Q_EMIT resized();
}

void FormWindow::keyPressEvent(QKeyEvent* event)
{
    // A button without a default role passes Enter on to its window.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (enter && button && button->isEnabled()) {
        if (!event->isAutoRepeat())
            button->animateClick();
        return;
    }
    QWidget::keyPressEvent(event);
}

// Form -------------------------------------------------------------------

Form::Form(Registry& registry, QString name, WindowDesign design)
    : registry_(registry), name_(std::move(name)), design_(std::move(design))
{
    registry_.add(this);
}

Form::~Form()
{
    if (window_) {
        window_->detach();
        delete window_;
    }
}

QSize Form::designSize() const { return QSize(px(design_.width), px(design_.height)); }

void Form::create()
{
    window_ = new FormWindow(*this, registry_);
    window_->setWindowTitle(design_.caption);
    const QSize size = designSize();
    QRect geometry(QPoint(px(design_.left), px(design_.top)), size);
    if (design_.centred) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            geometry.moveCenter(screen->geometry().center());
    }
    window_->setGeometry(geometry);
    if (design_.frame == Frame::FixedNoControls || design_.frame == Frame::FixedCloseOnly)
        window_->setFixedSize(size);

    scope_ = std::make_unique<QObject>();
    client_ = new QWidget(window_);
    client_->setObjectName(QStringLiteral("client"));
    client_->setGeometry(QRect(QPoint(0, 0), size));
    registry_.report(*this, Registry::Op::Create);
    build(client_);
    Form_Load();
}

void Form::use()
{
    if (!window_)
        create();
}

QWidget* Form::window()
{
    use();
    return window_;
}

QWidget* Form::client()
{
    use();
    return client_;
}

FormWindow* Form::frame()
{
    use();
    return window_;
}

bool Form::isVisible() const { return window_ && window_->isVisible(); }

void Form::show()
{
    use();
    // The load step may have unloaded the form again.
    if (!window_)
        return;
    registry_.report(*this, Registry::Op::Show);
    if (!inTaskBar(design_.frame))
        keepOutOfTaskBar(window_);
    if (window_->isMinimized())
        window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void Form::hide()
{
    use();
    if (!window_)
        return;
    registry_.report(*this, Registry::Op::Hide);
    window_->hide();
}

void Form::unload()
{
    if (!window_)
        return;
    registry_.report(*this, Registry::Op::Unload);
    FormWindow* window = window_;
    window_ = nullptr;
    client_ = nullptr;
    scope_.reset();
    discard();
    window->detach();
    window->hide();
    window->deleteLater();
}

}  // namespace ui
