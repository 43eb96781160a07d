#include "ui/FontDialog.h"

#include "ui/Fonts.h"
#include "ui/SystemColors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QValidator>
#include <QVBoxLayout>

namespace ui {

namespace {

// The four styles a line of text can have, as bold and italic.
struct Style {
    const char* name;
    bool bold;
    bool italic;
};
constexpr Style kStyles[] = {
    {"Regular", false, false}, {"Italic", false, true}, {"Bold", true, false}, {"Bold Italic", true, true}};

// Digits with at most one decimal point (or comma): what may still become
// a size; a size when it lies within the bounds.
class SizeValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        static const QRegularExpression number(QStringLiteral("^\\d*([.,]\\d*)?$"));
        if (!number.match(input).hasMatch())
            return Invalid;
        const double size = FontDialog::sizeOf(input);
        if (size > 0)
            return Acceptable;
        // Too large stays too large, however it goes on.
        return QString(input).replace(QLatin1Char(','), QLatin1Char('.')).toDouble() > kMaxFontSize ? Invalid
                                                                                                    : Intermediate;
    }
};

QListWidget* makeList(QWidget* parent, const QString& name)
{
    auto* list = new QListWidget(parent);
    list->setAccessibleName(name);
    return list;
}

QString sizeText(double points) { return QString::number(points, 'g', 7); }

}  // namespace

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

double FontDialog::sizeOf(const QString& text)
{
    bool ok = false;
    const double size = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && size > 0 && size <= kMaxFontSize ? size : 0;
}

FontDialog::FontDialog(QWidget* owner, const platform::FontChoice& initial, bool withEffects) : QDialog(owner)
{
    setWindowTitle(tr("Font"));
    setModal(true);

    // Typeface: the installed families, the chosen one among them.
    families_ = makeList(this, tr("Font"));
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isPrivateFamily(family))
            families_->addItem(family);
    }
    const QFont initialFont =
        designFont(initial.name, initial.size, initial.bold, initial.italic, initial.underline, initial.strikethru);
    QList<QListWidgetItem*> found = families_->findItems(installedFamily(initial.name), Qt::MatchFixedString);
    if (found.isEmpty())
        found = families_->findItems(QFontInfo(initialFont).family(), Qt::MatchFixedString);
    if (found.isEmpty()) {
        families_->insertItem(0, initial.name);
        found = {families_->item(0)};
    }
    families_->setCurrentItem(found.first());

    styles_ = makeList(this, tr("Font style"));
    for (const Style& style : kStyles) {
        styles_->addItem(tr(style.name));
        if (style.bold == initial.bold && style.italic == initial.italic)
            styles_->setCurrentRow(styles_->count() - 1);
    }

    // Size: typed, whole or fractional, or picked from the usual sizes.
    size_ = new QLineEdit(sizeText(initial.size), this);
    size_->setObjectName(QStringLiteral("size"));
    size_->setAccessibleName(tr("Size"));
    size_->setMaxLength(9);
    size_->setValidator(new SizeValidator(size_));
    sizes_ = makeList(this, tr("Sizes"));
    for (int points : QFontDatabase::standardSizes())
        sizes_->addItem(QString::number(points));
    const auto pickListedSize = [this] {
        const QList<QListWidgetItem*> listed = sizes_->findItems(sizeText(sizeOf(size_->text())), Qt::MatchExactly);
        const QSignalBlocker quiet(sizes_);
        sizes_->setCurrentItem(listed.value(0));
    };
    pickListedSize();
    connect(size_, &QLineEdit::textEdited, this, pickListedSize);
    connect(sizes_, &QListWidget::currentTextChanged, this, [this](const QString& text) {
        if (!text.isEmpty())
            size_->setText(text);
    });

    effects_ = new QGroupBox(tr("Effects"), this);
    strikeout_ = new QCheckBox(tr("Stri&keout"), effects_);
    strikeout_->setChecked(initial.strikethru);
    underline_ = new QCheckBox(tr("&Underline"), effects_);
    underline_->setChecked(initial.underline);
    colour_ = new QComboBox(effects_);
    colour_->setObjectName(QStringLiteral("colour"));
    colour_->setAccessibleName(tr("Color"));
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
    effects_->setEnabled(withEffects);

    auto* sampleBox = new QGroupBox(tr("Sample"), this);
    sample_ = new QLabel(QStringLiteral("AaBbYyZz"), sampleBox);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    sample_->setMinimumSize(160, 60);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const auto caption = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    auto* choices = new QGridLayout;
    choices->addWidget(caption(tr("&Font:"), families_), 0, 0);
    choices->addWidget(caption(tr("Font st&yle:"), styles_), 0, 1);
    choices->addWidget(caption(tr("&Size:"), size_), 0, 2);
    choices->addWidget(families_, 1, 0, 2, 1);
    choices->addWidget(styles_, 1, 1, 2, 1);
    choices->addWidget(size_, 1, 2);
    choices->addWidget(sizes_, 2, 2);
    choices->setColumnStretch(0, 3);
    choices->setColumnStretch(1, 2);
    choices->setColumnStretch(2, 1);

    auto* effectsLayout = new QVBoxLayout(effects_);
    effectsLayout->addWidget(strikeout_);
    effectsLayout->addWidget(underline_);
    auto* colourRow = new QHBoxLayout;
    auto* colourCaption = new QLabel(tr("&Color:"), effects_);
    colourCaption->setBuddy(colour_);
    colourRow->addWidget(colourCaption);
    colourRow->addWidget(colour_, 1);
    effectsLayout->addLayout(colourRow);
    auto* sampleLayout = new QVBoxLayout(sampleBox);
    sampleLayout->addWidget(sample_);
    auto* lower = new QHBoxLayout;
    lower->addWidget(effects_);
    lower->addWidget(sampleBox, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices, 1);
    layout->addLayout(lower);
    layout->addWidget(buttons);

    for (QListWidget* list : {families_, styles_})
        connect(list, &QListWidget::currentRowChanged, this, &FontDialog::showSample);
    for (QCheckBox* box : {strikeout_, underline_})
        connect(box, &QCheckBox::toggled, this, &FontDialog::showSample);
    connect(size_, &QLineEdit::textChanged, this, &FontDialog::showSample);
    showSample();
    // The lists would each ask for a wide default size.
    resize(QSize(580, 400).expandedTo(minimumSizeHint()));
    size_->setFocus();
    size_->selectAll();
}

void FontDialog::showSample()
{
    // Only a size that is one can be taken.
    ok_->setEnabled(sizeOf(size_->text()) > 0);
    const platform::FontChoice now = choice();
    // The sample stays within what its box can show.
    sample_->setFont(designFont(now.name, std::min(now.size > 0 ? now.size : 8.0, 48.0), now.bold, now.italic,
                                now.underline, now.strikethru));
}

platform::FontChoice FontDialog::choice() const
{
    platform::FontChoice result;
    if (const QListWidgetItem* family = families_->currentItem())
        result.name = family->text();
    const int style = std::max(0, styles_->currentRow());
    result.bold = kStyles[style].bold;
    result.italic = kStyles[style].italic;
    result.size = sizeOf(size_->text());
    result.underline = underline_->isChecked();
    result.strikethru = strikeout_->isChecked();
    result.color = colour_->currentData().toUInt();
    return result;
}

}  // namespace ui
