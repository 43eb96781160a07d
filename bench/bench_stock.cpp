// Loading the whole installed label-product database, against
// QXmlStreamReader merely reading the same files without building anything.

#include "BenchUtil.h"

#include "stock/ProductDatabase.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tessera.stock.warning=false"));
    stock::ProductDatabase::Sources sources;
    sources.systemFolders = stock::ProductDatabase::Sources::standard().systemFolders;
    if (sources.systemFolders.isEmpty()) {
        std::printf("stock: the label-product database (glabels-data) is not installed\n");
        return 1;
    }
    const QDir dir(sources.systemFolders.first());
    const QStringList files = dir.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name);
    qint64 tokens = 0;
    stock::ProductDatabase db;
    const auto result = bench::alternate(
        21,
        [&] {
            return bench::timeMs([&] {
                for (const QString& name : files) {
                    QFile file(dir.filePath(name));
                    if (!file.open(QIODevice::ReadOnly))
                        continue;
                    QXmlStreamReader xml(file.readAll());
                    while (!xml.atEnd())
                        tokens += xml.readNext();
                }
            });
        },
        [&] {
            // Only loading is timed: the database read before is released outside.
            stock::ProductDatabase fresh;
            const double ms = bench::timeMs([&] { fresh = stock::ProductDatabase::load(sources); });
            std::swap(db, fresh);
            return ms;
        });
    std::printf("stock: %lld files, %lld products, %lld left out\n", qint64(files.size()), qint64(db.products().size()),
                qint64(db.rejected().size()));
    bench::report("stock", result, 2);
    return tokens == 0;
}
