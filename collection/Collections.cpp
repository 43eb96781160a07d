#include "collection/Collections.h"

#include "platform/ReplaceFile.h"
#include "platform/UserFile.h"
#include "ui/Error.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace collection {

namespace {

// A stored collection is a few label files at most per cell.
constexpr qint64 kMaxFileBytes = 64 * 1024 * 1024;

QString encoded(const QString& name)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(name, QByteArray(), QByteArrayLiteral("_~.")));
}

ui::Error collectionError(const QString& text) { return ui::Error::of(ui::Error::ApplicationDefined, text); }

}  // namespace

Collections::Collections(platform::Pictures& pictures, QString folder) : pictures_(pictures), folder_(std::move(folder))
{
}

QString Collections::standardFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/collected");
}

QString Collections::fileOf(const stock::Product& product) const
{
    return QDir(folder_).filePath(encoded(product.brand) + QLatin1Char('_') + encoded(product.part) +
                                  QStringLiteral(".sheet"));
}

SheetCollection& Collections::load(const stock::Product& product)
{
    const auto key = std::make_pair(product.brand, product.part);
    if (const auto found = sheets_.find(key); found != sheets_.end())
        return found->second;
    const QString path = fileOf(product);
    SheetCollection sheet(product);
    QString problem;
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        try {
            platform::UserFile file(path);
            const QByteArray bytes = file.readUpTo(kMaxFileBytes);
            if (bytes.size() > kMaxFileBytes) {
                problem = QStringLiteral("it is too large");
            } else {
                ui::Result<SheetCollection, QString> read = SheetCollection::read(bytes, product, pictures_, &notes_);
                if (read)
                    sheet = std::move(read).value();
                else
                    problem = read.error();
            }
        } catch (const ui::Error& error) {
            problem = error.description;
        }
    }
    if (!problem.isEmpty()) {
        // Kept for whoever wants to look at it, under a name no later
        // collection takes.
        const QString aside = path + QStringLiteral(".damaged-") +
                              QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
        if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) == 0)
            notes_.append(QStringLiteral("The labels collected for %1 could not be read: %2. The file was set aside "
                                         "as %3, and the sheet's collection starts empty.")
                              .arg(product.name(), problem, aside));
        else
            notes_.append(QStringLiteral("The labels collected for %1 could not be read: %2. The file %3 could not "
                                         "be set aside (%4); it stays as it is, and the sheet's collection starts "
                                         "empty.")
                              .arg(product.name(), problem, path, QString::fromLocal8Bit(std::strerror(errno))));
    }
    return sheets_.emplace(key, std::move(sheet)).first->second;
}

const SheetCollection& Collections::of(const stock::Product& product) { return load(product); }

ui::Result<QList<int>, QString> Collections::cellsFor(const stock::Product& product, int firstCell, int copies,
                                                      const QList<int>& used)
{
    const SheetCollection& sheet = load(product);
    const int count = product.cellCount();
    const auto taken = [&](int cell) { return sheet.holds(cell) || used.contains(cell); };
    if (sheet.fills(used))
        return ui::failed(QStringLiteral("The collected sheet of %1 is full: the label was not collected. Print the "
                                         "collected sheet first.")
                              .arg(product.name()));
    if (firstCell < 1 || firstCell + copies - 1 > count)
        return ui::failed(QStringLiteral("%1 %2 from label %3 do not fit on the sheet of %4, which has %5 labels: "
                                         "the label was not collected.")
                              .arg(copies)
                              .arg(copies == 1 ? QStringLiteral("label") : QStringLiteral("labels"))
                              .arg(firstCell)
                              .arg(product.name())
                              .arg(count));
    QList<int> cells;
    for (int cell = firstCell; cell < firstCell + copies; ++cell) {
        if (taken(cell))
            return ui::failed(QStringLiteral("Label %1 of %2 is taken already: the label was not collected. Choose "
                                             "a free first label.")
                                  .arg(cell)
                                  .arg(product.name()));
        cells.append(cell);
    }
    return cells;
}

ui::Result<void, QString> Collections::store(const SheetCollection& changed)
{
    const QString path = fileOf(changed.product());
    if (changed.isEmpty()) {
        if (QFile::exists(path) && !QFile::remove(path))
            return ui::failed(QStringLiteral("%1 could not be removed").arg(path));
        return {};
    }
    if (!QDir().mkpath(folder_))
        return ui::failed(QStringLiteral("the folder %1 could not be made").arg(folder_));
    if (const ui::Result<void, QString> written = platform::replaceFile(path, changed.serialized()); !written)
        return ui::failed(QStringLiteral("%1 could not be written: %2").arg(path, written.error()));
    return {};
}

ui::Result<void, QString> Collections::add(const stock::Product& product, const document::Document& label,
                                           const QList<int>& cells, bool discFace)
{
    SheetCollection changed = load(product).copy();
    for (int cell : cells)
        changed.add(cell, label, discFace);
    if (ui::Result<void, QString> stored = store(changed); !stored)
        return stored;
    load(product) = std::move(changed);
    return {};
}

ui::Result<void, QString> Collections::clear(const stock::Product& product)
{
    SheetCollection changed(product);
    if (ui::Result<void, QString> stored = store(changed); !stored)
        return stored;
    load(product) = std::move(changed);
    return {};
}

QList<stock::CollectedLabels::Label> Collections::collected(const stock::Product& product)
{
    QList<Label> out;
    for (const SheetCollection::Entry& entry : load(product).entries())
        out.append(Label{entry.cell, &entry.printed(), labelName(*entry.document)});
    return out;
}

QString Collections::remove(const stock::Product& product, int cell)
{
    SheetCollection changed = load(product).copy();
    if (!changed.remove(cell))
        return {};
    if (ui::Result<void, QString> stored = store(changed); !stored)
        return QStringLiteral("The label stays collected: %1.").arg(stored.error());
    load(product) = std::move(changed);
    return {};
}

QStringList Collections::takeNotes() { return std::exchange(notes_, {}); }

output::Printed printCollected(Collections& collections, const stock::Product& product,
                               const platform::Printable* current, stock::Choice choice,
                               const platform::Destination& destination, const QString& title,
                               output::Services services, std::stop_token stop)
{
    const SheetCollection& sheet = collections.of(product);
    QList<const platform::Printable*> labels = sheet.labels();
    QList<int> cells = sheet.cells();
    if (current) {
        const std::optional<stock::PrintRun> run = choice.run();
        if (!run || run->pages.size() != 1)
            throw collectionError(QStringLiteral("The label's %1 copies from label %2 do not fit on the collected "
                                                 "sheet of %3.")
                                      .arg(choice.copies)
                                      .arg(choice.firstCell)
                                      .arg(product.name()));
        for (int cell : run->pages.first()) {
            if (sheet.holds(cell))
                throw collectionError(QStringLiteral("Label %1 of %2 holds a collected label: choose another first "
                                                     "label for this one.")
                                          .arg(cell)
                                          .arg(product.name()));
            labels.append(current);
            cells.append(cell);
        }
    }
    if (labels.isEmpty())
        throw collectionError(QStringLiteral("No labels are collected for %1.").arg(product.name()));
    choice.product = product;
    choice.copies = 1;
    choice.firstCell = *std::min_element(cells.begin(), cells.end());
    choice.cells = cells;
    output::Printed printed = output::print(labels, std::move(choice), destination, title, services, std::move(stop));
    if (const ui::Result<void, QString> cleared = collections.clear(product); !cleared)
        printed.settingsProblem +=
            (printed.settingsProblem.isEmpty() ? QString() : QStringLiteral(" ")) +
            QStringLiteral("The collected sheet printed, but it is still stored: %1.").arg(cleared.error());
    return printed;
}

}  // namespace collection
