#pragma once

#include "platform/Dialogs.h"

#include <QDialog>

class QComboBox;
class QFontDialog;

namespace ui {

// Qt's font chooser with a colour choice beside its effects, so that one
// dialog returns typeface, size, bold, italic, underline, strikethrough and
// colour.
class FontDialog final : public QDialog {
    Q_OBJECT
public:
    FontDialog(QWidget* owner, const platform::FontChoice& initial, bool withEffects);
    platform::FontChoice choice() const;

    // The sixteen colours offered, as 0x00BBGGRR values.
    static const QList<QPair<QString, quint32>>& colours();

private:
    QFontDialog* fonts_;
    QComboBox* colour_;
};

}  // namespace ui
