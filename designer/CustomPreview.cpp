#include "designer/CustomPreview.h"

#include "app/Forms.h"
#include "designer/CardSurface.h"
#include "designer/HistoryActions.h"
#include "designer/Selection.h"
#include "document/CardDocument.h"
#include "ui/FormWindow.h"

#include <QMenu>
#include <QShortcut>

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
    const HistoryActions history = HistoryActions::add(design_.history(), c.surface);
    c.menu = new QMenu(c.surface);
    c.menu->addActions({history.undo, history.redo});
    // The menu opens on a right click, and on the Menu key or Shift+F10
    // once the card has the focus.
    c.surface->setFocusPolicy(Qt::StrongFocus);
    c.surface->setContextMenuPolicy(Qt::CustomContextMenu);
    const auto popup = [menu = c.menu, surface = c.surface](const QPoint& at) {
        menu->popup(surface->mapToGlobal(at));
    };
    QObject::connect(c.surface, &QWidget::customContextMenuRequested, c.menu, popup);
    auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), c.surface);
    QObject::connect(menuKey, &QShortcut::activated, c.menu,
                     [popup, surface = c.surface] { popup(surface->rect().center()); });
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
    // A drop ends the drag's step; what follows is a step of its own.
    design_.closeStep();
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
    selection_.follow(design_, X, Y);
}

void CustomPreview::Form_Click() { selection_.setFramed(-1); }

void CustomPreview::Form_Resize()
{
    // The card takes the size the user dragged the window to; the panel
    // hears of it from the card. A drag of the border is one step.
    using Doc = document::CardDocument;
    design_.edit(QStringLiteral("Card size"), Doc::mergeKey(Doc::Fold::Size),
                 [this] { design_.card.followClientSize(window()->size()); });
}

}  // namespace designer
