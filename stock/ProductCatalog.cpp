#include "stock/ProductCatalog.h"

#include <QHash>
#include <QMutex>

namespace stock {

std::shared_future<ProductCatalog::Database> ProductCatalog::read(const ProductDatabase::Sources& sources)
{
    static QMutex mutex;
    static QHash<QStringList, std::shared_future<Database>> read;
    const QStringList key = sources.userFolders + QStringList{QString()} + sources.systemFolders;
    const QMutexLocker lock(&mutex);
    auto found = read.constFind(key);
    if (found != read.constEnd())
        return *found;
    std::shared_future<Database> database =
        std::async(std::launch::async, [sources] {
            return Database(std::make_shared<const ProductDatabase>(ProductDatabase::load(sources)));
        }).share();
    read.insert(key, database);
    return database;
}

}  // namespace stock
