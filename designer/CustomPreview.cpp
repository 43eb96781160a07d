#include "designer/CustomPreview.h"

#include "app/Forms.h"
#include "designer/CardSurface.h"
#include "designer/Selection.h"
#include "document/CardDocument.h"
#include "ui/FormWindow.h"

namespace designer {

ui::LengthSize PreviewImage::size() const { return card_.size(); }

void PreviewImage::paint(QPainter& painter, const QRectF& mm) const
{
    document::paint(card_, painter, mm, selection_.framed());
}

CustomPreview::CustomPreview(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("CustomPre"),
               ui::WindowDesign{QStringLiteral("Custom Label Preview"), 3885, 2535, false, 6090, 1770,
                                ui::Frame::ToolNoControls}),
      moving(forms.selection.moving),
      forms_(forms),
      design_(forms.card()),
      selection_(forms.selection),
      image_(design_, selection_)
{
}

document::Card& CustomPreview::card()
{
    use();
    return design_.card;
}

void CustomPreview::build(QWidget* client)
{
    auto& c = makeControls();
    c.surface = new CardSurface(design_, selection_, client);
    QObject::connect(c.surface, &CardSurface::lineClicked, c.surface, [this](int i) { Label1_Click(i); });
    QObject::connect(c.surface, &CardSurface::lineDoubleClicked, c.surface, [this](int i) { Label1_DblClick(i); });
    QObject::connect(c.surface, &CardSurface::cardClicked, c.surface, [this] { Form_Click(); });
    QObject::connect(c.surface, &CardSurface::mouseMoved, c.surface,
                     [this](float x, float y) { Form_MouseMove(x, y); });
    QObject::connect(&design_.card, &document::Card::sizeChanged, windowScope(), [this] { applyCardSize(); });
    QObject::connect(frame(), &ui::FormWindow::resized, windowScope(), [this] { Form_Resize(); });
    applyCardSize();
}

void CustomPreview::applyCardSize()
{
    const QSize size = design_.card.clientSize();
    if (window()->size() != size)
        window()->resize(size);
    controls_->surface->setGeometry(QRect(QPoint(0, 0), size));
}

void CustomPreview::Label1_Click(int Index)
{
    forms_.CustomOp.use();
    selection_.selectLine(Index);
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
    const int i = selection_.ind;
    design_.card.setTop(i, Y);
    design_.card.setLeft(i, X);
}

void CustomPreview::Form_Click() { selection_.setFramed(-1); }

void CustomPreview::Form_Resize()
{
    // The card takes the size the user dragged the window to; the panel
    // hears of it from the card.
    design_.card.followClientSize(window()->size());
}

}  // namespace designer
