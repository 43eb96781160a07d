#include "ui/Form.h"

#include "ui/FormWindow.h"
#include "ui/Units.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace ui {

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
