#include "app/LabelKind.h"

#include "app/Forms.h"
#include "templates/TemplateDesign.h"

const std::array<LabelKindRow, 6>& labelKinds()
{
    static const std::array<LabelKindRow, 6> rows = {{
        {LabelKind::None, QString(), nullptr, QString(), nullptr, QString(), QString()},
        {LabelKind::Floppy, QStringLiteral("1.44"), &templates::floppyLabel(), QStringLiteral("1.44MB Disk Label"),
         &Forms::DiskLabel, QStringLiteral("floppy"), QStringLiteral("make 1.44 MB floppy disk labels")},
        {LabelKind::ZipLabel, QStringLiteral("ZIPL"), &templates::zipLabel(), QStringLiteral("Zip Disk Label"),
         &Forms::ZipLabel, QStringLiteral("zip-label"), QStringLiteral("make Zip disk labels")},
        {LabelKind::ZipSleeve, QStringLiteral("ZIPS"), &templates::zipSleeve(), QStringLiteral("Zip Disk Sleeve"),
         &Forms::ZipSleve, QStringLiteral("zip-sleeve"), QStringLiteral("make Zip disk sleeves")},
        {LabelKind::Cd, QStringLiteral("CD"), &templates::cdSleeve(), QStringLiteral("CD Rom Sleeve"), &Forms::CDSleve,
         QStringLiteral("cd"), QStringLiteral("make CD sleeves"), true},
        {LabelKind::Custom, QStringLiteral("CUSTOM"), nullptr, QStringLiteral("Custom Label"), nullptr,
         QStringLiteral("card"), QStringLiteral("print the cards saved in label files, one label each"), true},
    }};
    return rows;
}
