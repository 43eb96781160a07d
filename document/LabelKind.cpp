#include "document/LabelKind.h"

#include "document/CardDocument.h"
#include "document/TemplateDesign.h"
#include "document/TemplateDocument.h"

namespace {

std::unique_ptr<document::Document> makeTemplate(LabelKind kind)
{
    return std::make_unique<document::TemplateDocument>(kind);
}

std::unique_ptr<document::Document> makeCard(LabelKind) { return std::make_unique<document::CardDocument>(); }

}  // namespace

const std::array<LabelKindRow, 6>& labelKinds()
{
    static const std::array<LabelKindRow, 6> rows = {{
        {LabelKind::None, QString(), nullptr, QString(), QString(), QString()},
        {LabelKind::Floppy, QStringLiteral("1.44"), &document::floppyLabel(), QStringLiteral("1.44MB Disk Label"),
         QStringLiteral("floppy"), QStringLiteral("make 1.44 MB floppy disk labels"), false, makeTemplate},
        {LabelKind::ZipLabel, QStringLiteral("ZIPL"), &document::zipLabel(), QStringLiteral("Zip Disk Label"),
         QStringLiteral("zip-label"), QStringLiteral("make Zip disk labels"), false, makeTemplate},
        {LabelKind::ZipSleeve, QStringLiteral("ZIPS"), &document::zipSleeve(), QStringLiteral("Zip Disk Sleeve"),
         QStringLiteral("zip-sleeve"), QStringLiteral("make Zip disk sleeves"), false, makeTemplate},
        {LabelKind::Cd, QStringLiteral("CD"), &document::cdSleeve(), QStringLiteral("CD Rom Sleeve"),
         QStringLiteral("cd"), QStringLiteral("make CD sleeves"), true, makeTemplate, true},
        {LabelKind::Custom, QStringLiteral("CUSTOM"), nullptr, QStringLiteral("Custom Label"), QStringLiteral("card"),
         QStringLiteral("print the cards saved in label files, one label each"), true, makeCard},
    }};
    return rows;
}
