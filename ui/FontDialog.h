#pragma once

#include "platform/Dialogs.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ui {

// The font dialog: typeface, style (bold, italic), size in points, the
// effects underline and strikethrough, and a colour, all in one dialog. The
// size may be fractional (8.25), above 0 and at most kMaxFontSize.
class FontDialog final : public QDialog {
    Q_OBJECT
public:
    FontDialog(QWidget* owner, const platform::FontChoice& initial, bool withEffects);
    platform::FontChoice choice() const;

    // The sixteen colours offered, as 0x00BBGGRR values.
    static const QList<QPair<QString, quint32>>& colours();

    // A size as typed ("8.25", "8,25"), or 0 when it is no size offered.
    static double sizeOf(const QString& text);

private:
    void showSample();

    QListWidget* families_;
    QListWidget* styles_;
    QLineEdit* size_;
    QListWidget* sizes_;
    QGroupBox* effects_;
    QCheckBox* strikeout_;
    QCheckBox* underline_;
    QComboBox* colour_;
    QLabel* sample_;
    QPushButton* ok_;
};

}  // namespace ui
