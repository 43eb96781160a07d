#pragma once

#include "platform/Printable.h"
#include "ui/FormWith.h"

class Forms;
class QMenu;

namespace document {
class Card;
class CardDocument;
}  // namespace document

namespace designer {

class CardSurface;
class Selection;

// The card as the preview shows it, the selected line's frame and all: what
// "Print Card" prints.
class PreviewImage final : public platform::Printable {
public:
    PreviewImage(const document::CardDocument& card, const Selection& selection) : card_(card), selection_(selection) {}
    ui::LengthSize size() const override;
    void paint(QPainter& painter, const QRectF& mm) const override;

private:
    const document::CardDocument& card_;
    const Selection& selection_;
};

struct CustomPreviewControls {
    CardSurface* surface = nullptr;
    QMenu* menu = nullptr;  // the card's context menu: Undo, Redo
};

// The custom card at its real size: a view of the card's document. The
// window's client area is the card; the window follows the card's size and
// the card follows a window the user resized. Its context menu and keys
// undo and redo the card's steps.
class CustomPreview final : public ui::FormWith<CustomPreviewControls> {
public:
    explicit CustomPreview(Forms& forms);

    // While true, pointer movement over the card moves the selected line
    // (the selection's flag).
    bool& moving;

    // The card; using it creates the form (invisible) if needed.
    document::Card& card();
    // The card as this window shows it, whether or not the window exists.
    const PreviewImage& image() const { return image_; }

    void Label1_Click(int Index);
    void Label1_DblClick(int Index);
    void Form_MouseMove(float X, float Y);
    void Form_Click();
    void Form_Resize();

protected:
    void build(QWidget* client) override;
    bool clientFollowsWindow() const override { return true; }

private:
    // The window and the surface follow the card's size.
    void applyCardSize();

    Forms& forms_;
    document::CardDocument& design_;
    Selection& selection_;
    PreviewImage image_;
};

}  // namespace designer
