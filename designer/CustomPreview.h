#pragma once

#include "ui/FormWith.h"

class Forms;

namespace designer {

class Card;
class CardSurface;
class Design;

struct CustomPreviewControls {
    CardSurface* surface = nullptr;
};

// The custom card at its real size: a view of the designer's document. The
// window's client area is the card; the window follows the card's size and
// the card follows a window the user resized.
class CustomPreview final : public ui::FormWith<CustomPreviewControls> {
public:
    explicit CustomPreview(Forms& forms);

    // While true, pointer movement over the card moves the selected line
    // (the document's flag).
    bool& moving;

    // The card; using it creates the form (invisible) if needed.
    Card& card();

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
    Design& design_;
};

}  // namespace designer
