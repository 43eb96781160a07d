#pragma once

#include "ui/Form.h"

#include <memory>

namespace ui {

// A form whose controls live in a struct that exists exactly as long as its
// window. Touching the controls uses the form first.
template <typename Controls>
class FormWith : public Form {
public:
    using Form::Form;

    Controls& controls()
    {
        use();
        return *controls_;
    }

protected:
    // Called by build(): the controls of the window being built.
    Controls& makeControls()
    {
        controls_ = std::make_unique<Controls>();
        return *controls_;
    }
    void discard() override { controls_.reset(); }

    std::unique_ptr<Controls> controls_;
};

}  // namespace ui
