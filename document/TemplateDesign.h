#pragma once

#include <QLine>
#include <QList>
#include <QRect>
#include <QString>
#include <optional>

// The four label designs, in twips relative to the client area. What the
// template shows is what it prints, so these numbers are the printed label.
namespace document {

struct LineDesign {
    QLine line;
    int widthPx;    // pen width in pixels (15 twips)
    quint32 color;  // colour value
};

struct TemplateDesign {
    QString formName;
    QString caption;
    int width = 0, height = 0;  // client area
    int left = 0, top = 0;      // client position on the screen

    int rows = 0, columns = 0;
    QList<QRect> contentFields;  // Label1(0..N), column by column
    QString contentFontName;
    double contentFontSize = 8;

    std::optional<QRect> diskName0;  // Label2(0), left-aligned (Zip sleeve only)
    QRect diskName1;                 // Label2(1), centred

    QList<LineDesign> rules;       // Line8 (horizontal), Line7 (vertical)
    QList<LineDesign> outline;     // and strip lines
    std::optional<QRect> credit;   // Label3
    std::optional<QRect> picture;  // Image1
    QString pictureResource;

    int fieldCount() const { return int(contentFields.size()); }
};

const TemplateDesign& floppyLabel();
const TemplateDesign& zipLabel();
const TemplateDesign& zipSleeve();
const TemplateDesign& cdSleeve();

inline const QString kCreditText = QStringLiteral("Made with Tessera");

}  // namespace document
