#pragma once

#include "platform/Dialogs.h"

#include <QString>
#include <functional>

class QWidget;

namespace ui {

class Context;

// The invisible common dialog component a form owns: classic properties, and
// ShowOpen / ShowSave / ShowFont / ShowPrinter. With CancelError set, a
// cancel raises Error 32755; otherwise it returns quietly.
class CommonDialog {
public:
    enum Flags : int { PrintSetup = 0x40, ScreenFonts = 0x1, PrinterFonts = 0x2, Effects = 0x100 };

    CommonDialog(Context& context, std::function<QWidget*()> owner);

    QString FileName;  // remembered between calls
    QString Filter;    // "text|pattern|text|pattern"
    int Flags = 0;
    bool CancelError = false;
    platform::FontChoice Font;  // in: the last choice; out: the new one

    // Each returns true when the user confirmed.
    bool ShowOpen();
    bool ShowSave();
    bool ShowFont();
    // With `stock`, the label stock is chosen too.
    bool ShowPrinter(platform::StockSetup* stock = nullptr);

    // "Text (*.a)|*.a|Other|*.b" as Qt's "Text (*.a);;Other (*.b)".
    static QString qtFilter(const QString& classic);

private:
    bool cancelled();

    Context& context_;
    std::function<QWidget*()> owner_;
};

}  // namespace ui
