#pragma once

#include "ui/Form.h"

class Forms;

namespace designer {

// The custom card at its real size; its client area is its window's.
class CustomPreview final : public ui::Form {
public:
    explicit CustomPreview(Forms& forms);

protected:
    void build(QWidget* client) override;
    bool clientFollowsWindow() const override { return true; }
};

}  // namespace designer
