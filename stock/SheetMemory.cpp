#include "stock/SheetMemory.h"

#include <QSettings>
#include <QUrl>

#include <algorithm>

namespace stock {

std::unique_ptr<QSettings> userSettings()
{
    return std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Tessera"), QStringLiteral("Tessera"));
}

namespace {

const QString kLastBrand = QStringLiteral("stock/last/brand");
const QString kLastPart = QStringLiteral("stock/last/part");

QString encoded(const QString& name) { return QString::fromLatin1(QUrl::toPercentEncoding(name)); }

// Brand and part may hold "/", which would open a settings group.
QString sheetKey(const Product& product)
{
    return QStringLiteral("stock/sheets/%1/%2").arg(encoded(product.brand), encoded(product.part));
}

void store(QSettings& settings, const Product& product, const QList<int>& used)
{
    if (used.isEmpty()) {
        settings.remove(sheetKey(product));
        return;
    }
    QStringList numbers;
    for (int cell : used)
        numbers.append(QString::number(cell));
    settings.setValue(sheetKey(product), numbers);
}

}  // namespace

std::pair<QString, QString> SheetMemory::lastProduct() const
{
    return {settings_.value(kLastBrand).toString(), settings_.value(kLastPart).toString()};
}

void SheetMemory::setLastProduct(const Product* product)
{
    if (!product) {
        settings_.remove(kLastBrand);
        settings_.remove(kLastPart);
        return;
    }
    settings_.setValue(kLastBrand, product->brand);
    settings_.setValue(kLastPart, product->part);
}

QList<int> SheetMemory::usedCells(const Product& product) const
{
    const int count = product.cellCount();
    QList<int> used;
    for (const QString& text : settings_.value(sheetKey(product)).toStringList()) {
        bool ok = false;
        const int cell = text.trimmed().toInt(&ok);
        if (ok && cell >= 1 && cell <= count)
            used.append(cell);
    }
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    return used;
}

int SheetMemory::firstFreeCell(const Product& product) const
{
    const QList<int> used = usedCells(product);
    int cell = 1;
    while (cell <= used.size() && used[cell - 1] == cell)
        ++cell;
    return cell > product.cellCount() ? 1 : cell;
}

void SheetMemory::recordPrint(const Product& product, const PrintRun& run)
{
    QList<int> used = run.usedAfter;
    if (run.pages.size() == 1)
        used += usedCells(product);
    used.removeIf([&](int cell) { return cell < 1 || cell > product.cellCount(); });
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    store(settings_, product, used.size() == product.cellCount() ? QList<int>() : used);
}

void SheetMemory::newSheet(const Product& product) { store(settings_, product, {}); }

}  // namespace stock
