#include "app/LabelKind.h"

#include "app/Forms.h"
#include "templates/TemplateDesign.h"

const std::array<LabelKindRow, 6>& labelKinds()
{
    static const std::array<LabelKindRow, 6> rows = {{
        {LabelKind::None, QString(), nullptr, QString(), nullptr},
        {LabelKind::Floppy, QStringLiteral("1.44"), &templates::floppyLabel(), QStringLiteral("1.44MB Disk Label"),
         &Forms::DiskLabel},
        {LabelKind::ZipLabel, QStringLiteral("ZIPL"), &templates::zipLabel(), QStringLiteral("Zip Disk Label"),
         &Forms::ZipLabel},
        {LabelKind::ZipSleeve, QStringLiteral("ZIPS"), &templates::zipSleeve(), QStringLiteral("Zip Disk Sleeve"),
         &Forms::ZipSleve},
        {LabelKind::Cd, QStringLiteral("CD"), &templates::cdSleeve(), QStringLiteral("CD Rom Sleeve"), &Forms::CDSleve},
        {LabelKind::Custom, QStringLiteral("CUSTOM"), nullptr, QStringLiteral("Custom Label"), nullptr},
    }};
    return rows;
}
