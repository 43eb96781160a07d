#include "stock/SheetMemory.h"

#include "platform/Settings.h"

#include <QUrl>

#include <algorithm>

namespace stock {

namespace {

const QString kLastBrand = QStringLiteral("stock/last/brand");
const QString kLastPart = QStringLiteral("stock/last/part");

QString encoded(const QString& name) { return QString::fromLatin1(QUrl::toPercentEncoding(name)); }

// Brand and part may hold "/", which would open a settings group.
QString sheetKey(const Product& product)
{
    return QStringLiteral("stock/sheets/%1/%2").arg(encoded(product.brand), encoded(product.part));
}

QList<int> usedIn(const platform::SettingsText& settings, const Product& product)
{
    const int count = product.cellCount();
    QList<int> used;
    for (const QString& text : settings.value(sheetKey(product)).toStringList()) {
        bool ok = false;
        const int cell = text.trimmed().toInt(&ok);
        if (ok && cell >= 1 && cell <= count)
            used.append(cell);
    }
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    return used;
}

void store(platform::SettingsText& settings, const Product& product, const QList<int>& used)
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
