#pragma once

#include "ui/CommonDialog.h"
#include "ui/FormWith.h"

#include <optional>

class Forms;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace document {
class Card;
class CardDocument;
}  // namespace document

namespace designer {

class Selection;

struct CustomControlControls {
    QGroupBox* Frame1 = nullptr;  // "Label Properties"
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;  // card height, mm
    QLabel* Label3_0 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Text2 = nullptr;  // card width, mm
    QLabel* Label3_1 = nullptr;
    QPushButton* Command12 = nullptr;  // "Background Graphic"
    QPushButton* Command10 = nullptr;  // "Background Color"
    QPushButton* Command9 = nullptr;   // "Add Text"
    QPushButton* Command4 = nullptr;   // "Load Custom Label"
    QPushButton* Command11 = nullptr;  // "Save Custom Label"
    QPushButton* Command13 = nullptr;  // "Clear Label"
    QGroupBox* Frame3 = nullptr;       // "Object Navigation"
    QPushButton* Command5 = nullptr;   // up
    QPushButton* Command7 = nullptr;   // left
    QPushButton* Command8 = nullptr;   // right
    QPushButton* Command6 = nullptr;   // down
    QGroupBox* Frame2 = nullptr;       // "Text Properties"
    QLabel* Label4 = nullptr;          // the selected line's name
    QPlainTextEdit* Text4 = nullptr;   // the selected line's text
    QPushButton* Command2 = nullptr;   // "Font Type:"
    QLineEdit* Text5 = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Text6 = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* Text3 = nullptr;       // text colour swatch
    QPushButton* Command3 = nullptr;  // "<<Back"
    QPushButton* Command1 = nullptr;  // "Print Card"
    std::optional<ui::CommonDialog> CommonDialog1;
};

// The custom card designer's control panel: a view of the card's document,
// which it edits a step at a time, and of what the preview selected. Its
// keys undo and redo the card's steps, in its text boxes too.
class CustomControl final : public ui::FormWith<CustomControlControls> {
public:
    explicit CustomControl(Forms& forms);

    inline static const QString kPictureFilter =
        QStringLiteral("Bitmap Files (*.bmp)|*.bmp|Jpeg Files(*.jpg)|*.jpg|Gif Files (*.gif)|*.gif");
    inline static const QString kLabelFilter = QStringLiteral("Tessera Files (*.lab)|*.lab");
    inline static const QString kReadingPicture = QStringLiteral("Reading the picture. Please wait.");
    inline static const QString kReadingLabel = QStringLiteral("Reading the label file. Please wait.");

    // The document's and the selection's state under the panel's names.
    qint16& txtamt;   // lines in use
    QString& cardpc;  // background picture path
    QString& typ;     // kind of the selected object
    qint16& ind;      // index of the selected line

    // Fills Text4 with a line's caption (CR LF shows as a line break).
    void setText4(const QString& caption);

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Text4_Change();

    // Loads a label file as "Load Custom Label" does once a file is chosen;
    // `path` as the bytes the system names the file by.
    void loadLabel(const QByteArray& path);

protected:
    void build(QWidget* client) override;
    void Form_Load() override;

private:
    document::Card& card();
    // The views of the document: the selected line, the card's size, the
    // selected line's caption as a load or an undo left it.
    void showSelection();
    void showCardSize();
    void showCaption();
    void saveLabel(const QString& path);
    // Shows the panel's file dialog with a filter; false when cancelled.
    bool chooseFile(bool (ui::CommonDialog::*show)(), const QString& filter);

    Forms& forms_;
    document::CardDocument& design_;
    Selection& selection_;
};

}  // namespace designer
