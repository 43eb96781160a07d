#include "ui/FontDialog.h"

#include "ui/Fonts.h"
#include "ui/SystemColors.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QPixmap>
#include <QVBoxLayout>

namespace ui {

const QList<QPair<QString, quint32>>& FontDialog::colours()
{
    static const QList<QPair<QString, quint32>> list = {
        {QStringLiteral("Black"), rgb(0, 0, 0)},        {QStringLiteral("Maroon"), rgb(128, 0, 0)},
        {QStringLiteral("Green"), rgb(0, 128, 0)},      {QStringLiteral("Olive"), rgb(128, 128, 0)},
        {QStringLiteral("Navy"), rgb(0, 0, 128)},       {QStringLiteral("Purple"), rgb(128, 0, 128)},
        {QStringLiteral("Teal"), rgb(0, 128, 128)},     {QStringLiteral("Gray"), rgb(128, 128, 128)},
        {QStringLiteral("Silver"), rgb(192, 192, 192)}, {QStringLiteral("Red"), rgb(255, 0, 0)},
        {QStringLiteral("Lime"), rgb(0, 255, 0)},       {QStringLiteral("Yellow"), rgb(255, 255, 0)},
        {QStringLiteral("Blue"), rgb(0, 0, 255)},       {QStringLiteral("Fuchsia"), rgb(255, 0, 255)},
        {QStringLiteral("Aqua"), rgb(0, 255, 255)},     {QStringLiteral("White"), rgb(255, 255, 255)},
    };
    return list;
}

FontDialog::FontDialog(QWidget* owner, const platform::FontChoice& initial, bool withEffects) : QDialog(owner)
{
    setWindowTitle(tr("Font"));
    setModal(true);
    fonts_ = new QFontDialog(this);
    fonts_->setWindowFlags(Qt::Widget);
    fonts_->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
    fonts_->setCurrentFont(
        designFont(initial.name, initial.size, initial.bold, initial.italic, initial.underline, initial.strikethru));

    colour_ = new QComboBox(this);
    colour_->setObjectName(QStringLiteral("colour"));
    int current = -1;
    for (const auto& [name, value] : colours()) {
        QPixmap swatch(16, 12);
        swatch.fill(color(value));
        colour_->addItem(QIcon(swatch), name, value);
        if (value == initial.color)
            current = colour_->count() - 1;
    }
    if (current < 0) {
        QPixmap swatch(16, 12);
        swatch.fill(color(initial.color));
        colour_->addItem(QIcon(swatch), tr("Custom"), initial.color);
        current = colour_->count() - 1;
    }
    colour_->setCurrentIndex(current);
    colour_->setEnabled(withEffects);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* colourRow = new QFormLayout;
    colourRow->addRow(tr("&Color:"), colour_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(fonts_);
    layout->addLayout(colourRow);
    layout->addWidget(buttons);
}

platform::FontChoice FontDialog::choice() const
{
    const QFont font = fonts_->currentFont();
    platform::FontChoice result;
    result.name = font.family();
    result.size = font.pointSizeF();
    result.bold = font.bold();
    result.italic = font.italic();
    result.underline = font.underline();
    result.strikethru = font.strikeOut();
    result.color = colour_->currentData().toUInt();
    return result;
}

}  // namespace ui
