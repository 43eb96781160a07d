#pragma once

#include "designer/Card.h"
#include "ui/FormWith.h"

class Forms;

namespace designer {

class CardSurface;

struct CustomPreviewControls {
    Card card;
    CardSurface* surface = nullptr;
};

// The custom card at its real size. The card model lives as long as the
// window; the window's client area is the card.
class CustomPreview final : public ui::FormWith<CustomPreviewControls> {
public:
    explicit CustomPreview(Forms& forms);

    // While true, pointer movement over the card moves the selected line.
    bool moving = false;

    // The card; using it creates the form (invisible) if needed.
    Card& card() { return controls().card; }

    void Label1_Click(int Index);
    void Label1_DblClick(int Index);
    void Form_MouseMove(float X, float Y);
    void Form_Click();
    void Form_Resize();

protected:
    void build(QWidget* client) override;
    void discard() override;
    bool clientFollowsWindow() const override { return true; }

private:
    // The window follows the card's outer size.
    void applyCardSize();
    // The card follows a window the user resized.
    void windowResized();
    // The surface and the panel's size boxes follow the card.
    void cardResized();

    Forms& forms_;
};

}  // namespace designer
