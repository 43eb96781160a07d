#include "designer/CustomPreview.h"

#include "app/Forms.h"
#include "designer/CardSurface.h"
#include "ui/Numbers.h"
#include "ui/TypingLimit.h"
#include "ui/Units.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace designer {

namespace {
// Runs a function on every resize and show of a widget.
class ResizeWatcher final : public QObject {
public:
    ResizeWatcher(QWidget* widget, std::function<void()> onResize) : QObject(widget), onResize_(std::move(onResize))
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize || event->type() == QEvent::Show)
            onResize_();
        return false;
    }

private:
    std::function<void()> onResize_;
};
}  // namespace

CustomPreview::CustomPreview(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("CustomPre"),
               ui::WindowDesign{QStringLiteral("Custom Label Preview"), 3885, 2535, false, 6090, 1770,
                                ui::Frame::SizableNoControls}),
      forms_(forms)
{
}

void CustomPreview::build(QWidget* client)
{
    auto& c = makeControls();
    // Not in the task bar.
    window()->setWindowFlag(Qt::Tool);
    c.surface = new CardSurface(c.card, client);
    c.surface->setGeometry(client->rect());
    c.surface->onLineClick = [this](int i) { Label1_Click(i); };
    c.surface->onLineDoubleClick = [this](int i) { Label1_DblClick(i); };
    c.surface->onCardClick = [this] { Form_Click(); };
    c.surface->onMouseMove = [this](float x, float y) { Form_MouseMove(x, y); };
    QObject::connect(&c.card, &Card::sizeChanged, c.surface, [this] { applyCardSize(); });
    new ResizeWatcher(window(), [this] { windowResized(); });
}

void CustomPreview::discard()
{
    FormWith::discard();
    moving = false;
}

void CustomPreview::applyCardSize()
{
    auto& c = controls();
    const QSize size = c.card.clientSize();
    if (window()->size() != size)
        window()->resize(size);
    // A hidden window hears of its new size only when shown again.
    cardResized();
}

void CustomPreview::windowResized()
{
    if (!controls_)
        return;
    controls_->card.followClientSize(window()->size());
    cardResized();
}

void CustomPreview::cardResized()
{
    controls_->surface->setGeometry(QRect(QPoint(0, 0), controls_->card.clientSize()));
    Form_Resize();
}

void CustomPreview::Label1_Click(int Index)
{
    CustomControl& op = forms_.CustomOp;
    if (moving)
        moving = false;
    op.typ = CustomControl::kSelectedLine;
    op.ind = qint16(Index);
    op.setText4(card().line(Index).Caption);
    op.controls().Frame3->setTitle(op.typ + QString::number(Index + 1) + QStringLiteral(" Navigation"));
    op.controls().Label4->setText(CustomControl::kSelectedLine + QString::number(Index + 1));
    card().setFramed(Index);
}

void CustomPreview::Label1_DblClick(int)
{
    if (!moving)
        moving = true;
}

void CustomPreview::Form_MouseMove(float X, float Y)
{
    if (!moving)
        return;
    const int i = forms_.CustomOp.ind;
    card().setTop(i, Y);
    card().setLeft(i, X);
}

void CustomPreview::Form_Click() { card().setFramed(-1); }

void CustomPreview::Form_Resize()
{
    // The panel shows the size; it exists whenever the card is on screen.
    if (!forms_.CustomOp.exists() || !controls_)
        return;
    const QSize size = controls_->card.clientSize();
    auto& op = forms_.CustomOp.controls();
    ui::TypingLimit::setWholeText(op.Text1, ui::formatSingle(float(ui::pxToMm(size.height()))));
    ui::TypingLimit::setWholeText(op.Text2, ui::formatSingle(float(ui::pxToMm(size.width()))));
}

}  // namespace designer
