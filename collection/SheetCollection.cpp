#include "collection/SheetCollection.h"

#include "document/CardDocument.h"
#include "document/DiscFace.h"
#include "document/TemplateDocument.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace collection {

namespace {

const QByteArray kHeader = QByteArrayLiteral("Tessera collected sheet 1\n");

const LabelKindRow* kindOf(const QString& option)
{
    for (const LabelKindRow& row : labelKinds()) {
        if (row.kind != LabelKind::None && row.option == option)
            return &row;
    }
    return nullptr;
}

QJsonObject stored(const document::Document& label)
{
    QJsonObject out{{QStringLiteral("kind"), labelKind(label.kind()).option}};
    if (const auto* card = dynamic_cast<const document::CardDocument*>(&label)) {
        out.insert(QStringLiteral("labelFile"), QString::fromLatin1(card->labelFileBytes().toBase64()));
        out.insert(QStringLiteral("picture"), card->cardpc);
    } else if (const auto* text = dynamic_cast<const document::TemplateDocument*>(&label)) {
        out.insert(QStringLiteral("diskName"), QJsonArray{text->diskName(0), text->diskName(1)});
        QJsonArray fields;
        for (int i = 0; i < text->fieldCount(); ++i)
            fields.append(text->content(i));
        out.insert(QStringLiteral("fields"), fields);
    }
    return out;
}

ui::Result<std::unique_ptr<document::Document>, QString> restored(const QJsonObject& object,
                                                                  platform::Pictures& pictures, QString* note)
{
    const LabelKindRow* row = kindOf(object.value(QStringLiteral("kind")).toString());
    if (!row || !row->make)
        return ui::failed(QStringLiteral("a label of no known kind"));
    if (row->kind == LabelKind::Custom) {
        const QByteArray bytes =
            QByteArray::fromBase64(object.value(QStringLiteral("labelFile")).toString().toLatin1());
        auto card = document::CardDocument::fromLabelFile(bytes, object.value(QStringLiteral("picture")).toString(),
                                                          pictures, note);
        if (!card)
            return ui::failed(QStringLiteral("a card that is not sound (%1)").arg(card.error()));
        return std::unique_ptr<document::Document>(std::move(card).value());
    }
    std::unique_ptr<document::Document> made = row->make(row->kind);
    auto* text = dynamic_cast<document::TemplateDocument*>(made.get());
    if (!text)
        return ui::failed(QStringLiteral("a label of no known kind"));
    const QJsonArray names = object.value(QStringLiteral("diskName")).toArray();
    for (int i = 0; i < 2; ++i)
        text->setDiskName(i, names.at(i).toString());
    const QJsonArray fields = object.value(QStringLiteral("fields")).toArray();
    for (int i = 0; i < text->fieldCount(); ++i)
        text->setContent(i, i < fields.size() ? fields.at(i).toString() : QString());
    return made;
}

}  // namespace

SheetCollection::SheetCollection(stock::Product product) : product_(std::move(product)) {}
SheetCollection::SheetCollection(SheetCollection&&) noexcept = default;
SheetCollection& SheetCollection::operator=(SheetCollection&&) noexcept = default;
SheetCollection::~SheetCollection() = default;

QList<int> SheetCollection::cells() const
{
    QList<int> out;
    for (const Entry& entry : entries_)
        out.append(entry.cell);
    return out;
}

bool SheetCollection::holds(int cell) const
{
    return std::any_of(entries_.begin(), entries_.end(), [cell](const Entry& e) { return e.cell == cell; });
}

bool SheetCollection::fills(const QList<int>& used) const
{
    for (int cell = 1; cell <= product_.cellCount(); ++cell) {
        if (!holds(cell) && !used.contains(cell))
            return false;
    }
    return true;
}

const platform::Printable& SheetCollection::Entry::printed() const
{
    if (face)
        return *face;
    return *document;
}

void SheetCollection::add(int cell, const document::Document& label, bool discFace)
{
    Q_ASSERT(cell >= 1 && cell <= product_.cellCount() && !holds(cell));
    const auto at = std::find_if(entries_.begin(), entries_.end(), [cell](const Entry& e) { return e.cell > cell; });
    Entry entry{cell, label.copy(), nullptr};
    if (discFace) {
        stock::Choice choice;
        choice.product = product_;
        choice.discFace = true;
        entry.face = document::discFaceFor(*entry.document, choice);
    }
    entries_.insert(at, std::move(entry));
}

bool SheetCollection::remove(int cell)
{
    const auto at = std::find_if(entries_.begin(), entries_.end(), [cell](const Entry& e) { return e.cell == cell; });
    if (at == entries_.end())
        return false;
    entries_.erase(at);
    return true;
}

SheetCollection SheetCollection::copy() const
{
    SheetCollection out(product_);
    for (const Entry& entry : entries_)
        out.entries_.push_back(Entry{entry.cell, entry.document->copy(), entry.face});
    return out;
}

QList<const platform::Printable*> SheetCollection::labels() const
{
    QList<const platform::Printable*> out;
    for (const Entry& entry : entries_)
        out.append(&entry.printed());
    return out;
}

QByteArray SheetCollection::serialized() const
{
    QJsonArray labels;
    for (const Entry& entry : entries_) {
        QJsonObject label = stored(*entry.document);
        label.insert(QStringLiteral("cell"), entry.cell);
        if (entry.face)
            label.insert(QStringLiteral("discFace"), true);
        labels.append(label);
    }
    const QByteArray body = QJsonDocument(QJsonObject{{QStringLiteral("brand"), product_.brand},
                                                      {QStringLiteral("part"), product_.part},
                                                      {QStringLiteral("labels"), labels}})
                                .toJson(QJsonDocument::Indented);
    return kHeader + QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() + '\n' + body;
}

ui::Result<SheetCollection, QString> SheetCollection::read(const QByteArray& bytes, const stock::Product& product,
                                                           platform::Pictures& pictures, QStringList* notes)
{
    if (!bytes.startsWith(kHeader))
        return ui::failed(QStringLiteral("it is not a collected sheet of this version"));
    const qsizetype sumEnd = bytes.indexOf('\n', kHeader.size());
    if (sumEnd < 0)
        return ui::failed(QStringLiteral("it is cut short"));
    const QByteArray body = bytes.mid(sumEnd + 1);
    if (QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex() !=
        bytes.mid(kHeader.size(), sumEnd - kHeader.size()))
        return ui::failed(QStringLiteral("it is damaged (its checksum does not match)"));
    QJsonParseError error{};
    const QJsonDocument json = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !json.isObject())
        return ui::failed(QStringLiteral("it is damaged (%1)").arg(error.errorString()));
    const QJsonObject root = json.object();
    if (root.value(QStringLiteral("brand")).toString() != product.brand ||
        root.value(QStringLiteral("part")).toString() != product.part)
        return ui::failed(QStringLiteral("it holds the sheet of another product"));
    SheetCollection out(product);
    for (const QJsonValue& value : root.value(QStringLiteral("labels")).toArray()) {
        const QJsonObject object = value.toObject();
        const int cell = object.value(QStringLiteral("cell")).toInt();
        if (cell < 1 || cell > product.cellCount() || out.holds(cell))
            return ui::failed(QStringLiteral("it names a cell %1 that the sheet does not have free").arg(cell));
        QString note;
        ui::Result<std::unique_ptr<document::Document>, QString> label = restored(object, pictures, &note);
        if (!label)
            return ui::failed(QStringLiteral("label %1 is %2").arg(cell).arg(label.error()));
        if (!note.isEmpty() && notes)
            notes->append(QStringLiteral("The label collected in cell %1 of %2 is without %3.")
                              .arg(cell)
                              .arg(product.name(), note));
        out.add(cell, *label.value(), object.value(QStringLiteral("discFace")).toBool());
    }
    return out;
}

QString labelName(const document::Document& label)
{
    if (const auto* card = dynamic_cast<const document::CardDocument*>(&label)) {
        for (int i = 0; i < card->txtamt && i < document::kLineCount; ++i) {
            const document::TextLine& line = card->card.line(i);
            if (line.Visible && !line.Caption.trimmed().isEmpty())
                return line.Caption.simplified();
        }
        return QStringLiteral("card");
    }
    if (const auto* text = dynamic_cast<const document::TemplateDocument*>(&label)) {
        // The disk name every template paints first, then the others.
        QStringList fields{text->diskName(1), text->diskName(0)};
        for (int i = 0; i < text->fieldCount(); ++i)
            fields.append(text->content(i));
        for (const QString& field : fields) {
            if (!field.trimmed().isEmpty() && field != document::TemplateDocument::kDiskNameDesign &&
                field != document::TemplateDocument::kContentDesign)
                return field.simplified();
        }
    }
    return labelKind(label.kind()).caption;
}

}  // namespace collection
