#include "stock/SheetMemory.h"

#include "platform/Settings.h"

#include <QUrl>

#include <algorithm>

namespace stock {

namespace {

const QString kLastBrand = QStringLiteral("stock/last/brand");
const QString kLastPart = QStringLiteral("stock/last/part");

QString encoded(const QString& name) { return QString::fromLatin1(QUrl::toPercentEncoding(name)); }

// Brand and part may hold "/", which would open a settings group. The used
// labels are numbered as cells() numbers them, as they lie on the sheet.
QString usedKey(const Product& product)
{
    return QStringLiteral("stock/used/%1/%2").arg(encoded(product.brand), encoded(product.part));
}

// Where Tessera kept them before, numbered layout by layout as the product
// file lists its layouts. Read while there is nothing under usedKey, and
// removed with the first change.
QString layoutOrderKey(const Product& product)
{
    return QStringLiteral("stock/sheets/%1/%2").arg(encoded(product.brand), encoded(product.part));
}

QList<int> numbers(const QVariant& value, int count)
{
    QList<int> out;
    for (const QString& text : value.toStringList()) {
        bool ok = false;
        const int cell = text.trimmed().toInt(&ok);
        if (ok && cell >= 1 && cell <= count)
            out.append(cell);
    }
    return out;
}

// The numbers of cells(), for the numbers layout by layout.
QList<int> fromLayoutOrder(const Product& product, const QList<int>& used)
{
    if (used.isEmpty())
        return {};
    QList<int> first{0};  // per layout: the number before its first label
    for (const Layout& layout : product.layouts)
        first.append(first.last() + layout.nx * layout.ny);
    QList<int> number(product.cellCount() + 1, 0);
    for (const Cell& cell : cells(product))
        number[first[cell.layout - 1] + (cell.row - 1) * product.layouts[cell.layout - 1].nx + cell.column] =
            cell.number;
    QList<int> out;
    for (int cell : used)
        out.append(number[cell]);
    return out;
}

QList<int> usedIn(const platform::SettingsText& settings, const Product& product)
{
    const int count = product.cellCount();
    QList<int> used = settings.contains(usedKey(product))
                          ? numbers(settings.value(usedKey(product)), count)
                          : fromLayoutOrder(product, numbers(settings.value(layoutOrderKey(product)), count));
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    return used;
}

void store(platform::SettingsText& settings, const Product& product, const QList<int>& used)
{
    settings.remove(layoutOrderKey(product));
    if (used.isEmpty()) {
        settings.remove(usedKey(product));
        return;
    }
    QStringList numbers;
    for (int cell : used)
        numbers.append(QString::number(cell));
    settings.setValue(usedKey(product), numbers);
}

}  // namespace

std::pair<QString, QString> SheetMemory::lastProduct() const
{
    const platform::SettingsText settings = settings_.read();
    return {settings.value(kLastBrand).toString(), settings.value(kLastPart).toString()};
}

bool SheetMemory::setLastProduct(const Product* product)
{
    return settings_.update([product](platform::SettingsText& settings) {
        if (!product) {
            settings.remove(kLastBrand);
            settings.remove(kLastPart);
            return;
        }
        settings.setValue(kLastBrand, product->brand);
        settings.setValue(kLastPart, product->part);
    });
}

QList<int> SheetMemory::usedCells(const Product& product) const { return usedIn(settings_.read(), product); }

int SheetMemory::firstFreeCell(const Product& product) const
{
    const QList<int> used = usedCells(product);
    int cell = 1;
    while (cell <= used.size() && used[cell - 1] == cell)
        ++cell;
    return cell > product.cellCount() ? 1 : cell;
}

QList<int> SheetMemory::usedSince(const Product& product, const PrintRun& run, const QList<int>& usedBefore) const
{
    if (run.pages.isEmpty())
        return {};
    const QList<int> used = usedCells(product);
    QList<int> gone;
    for (int cell : run.pages.first()) {
        if (used.contains(cell) && !usedBefore.contains(cell))
            gone.append(cell);
    }
    return gone;
}

bool SheetMemory::recordPrint(const Product& product, const PrintRun& run)
{
    return settings_.update([&](platform::SettingsText& settings) {
        QList<int> used = run.usedAfter;
        if (run.pages.size() == 1)
            used += usedIn(settings, product);
        used.removeIf([&](int cell) { return cell < 1 || cell > product.cellCount(); });
        std::sort(used.begin(), used.end());
        used.erase(std::unique(used.begin(), used.end()), used.end());
        store(settings, product, used.size() == product.cellCount() ? QList<int>() : used);
    });
}

bool SheetMemory::newSheet(const Product& product)
{
    return settings_.update([&](platform::SettingsText& settings) { store(settings, product, {}); });
}

}  // namespace stock
