#include "stock/ProductDatabase.h"

#include "platform/UserFile.h"
#include "ui/Error.h"

#include <QCollator>
#include <QDir>
#include <QSet>
#include <QStandardPaths>

#include <algorithm>

Q_LOGGING_CATEGORY(lcStock, "tessera.stock", QtWarningMsg)

namespace stock {

namespace {

using Key = std::pair<QString, QString>;  // brand, part

Key key(const QString& brand, const QString& part) { return {brand, part}; }

QString where(const QString& file, qint64 line) { return QStringLiteral("%1:%2").arg(file).arg(line); }

// A file of the database, read without ever blocking on a pipe or device.
std::optional<QByteArray> readFile(const QString& path, QList<Rejection>& rejected)
{
    try {
        platform::UserFile file(path);
        QByteArray bytes = file.readUpTo(kMaxFileSize);
        if (bytes.size() <= kMaxFileSize)
            return bytes;
        rejected.append(
            Rejection{path, 0, {}, {}, QStringLiteral("is larger than %1 MB and is not read").arg(kMaxFileSize >> 20)});
    } catch (const ui::Error& e) {
        rejected.append(Rejection{path, 0, {}, {}, QStringLiteral("cannot be read: %1").arg(e.description)});
    }
    return std::nullopt;
}

// The products and aliases of every folder. Each brand and part belongs to
// the first folder that has it (the user's before the system's): a second
// one in the same folder is a mistake and left out, one in a later folder
// gives way.
struct Collected {
    struct Claim {
        int folder;
        QString file;
        qint64 line;
        qsizetype product;  // index in products, or -1
        qsizetype alias;    // index in aliases, or -1
    };
    QHash<Key, Claim> claims;
    QList<Product> products;
    QList<Alias> aliases;
    QSet<Key> leftOut;
    QList<Rejection> rejected;

    bool claim(int folder, const QString& brand, const QString& part, const QString& file, qint64 line)
    {
        const auto it = claims.constFind(key(brand, part));
        if (it == claims.constEnd()) {
            claims.insert(key(brand, part), Claim{folder, file, line, -1, -1});
            return true;
        }
        if (it->folder == folder)
            rejected.append(
                Rejection{file, line, brand, part,
                          QStringLiteral("is defined again; the one at %1 is kept").arg(where(it->file, it->line))});
        else
            qCDebug(lcStock).noquote() << where(file, line) << brand << part << "gives way to"
                                       << where(it->file, it->line);
        return false;
    }

    void add(int folder, const QString& file, FileContents contents)
    {
        for (const Rejection& r : std::as_const(contents.rejected))
            leftOut.insert(key(r.brand, r.part));
        rejected += contents.rejected;
        for (Product& p : contents.products) {
            if (claim(folder, p.brand, p.part, file, p.line)) {
                claims[key(p.brand, p.part)].product = products.size();
                products.append(std::move(p));
            }
        }
        for (const Alias& a : std::as_const(contents.aliases)) {
            if (claim(folder, a.brand, a.part, file, a.line)) {
                claims[key(a.brand, a.part)].alias = aliases.size();
                aliases.append(a);
            }
        }
    }

    // Each alias becomes a copy of the product it names, through aliases of
    // aliases if need be. Each alias is followed once: a chain is walked to
    // its first alias already resolved, and every alias on the way takes the
    // outcome.
    void resolveAliases()
    {
        constexpr qsizetype kUnresolved = -1, kOnTheWay = -2, kNoProduct = -3;
        QList<qsizetype> product(aliases.size(), kUnresolved);  // per alias: its product's index, or the above
        QList<qsizetype> way;
        for (qsizetype first = 0; first < aliases.size(); ++first) {
            qsizetype found = kNoProduct;
            for (qsizetype step = first; product[step] == kUnresolved;) {
                product[step] = kOnTheWay;
                way.append(step);
                const Alias& a = aliases[step];
                const auto it = claims.constFind(key(a.brand, a.sameAs));
                if (it == claims.constEnd() || a.sameAs == a.part)
                    break;
                if (it->product >= 0) {
                    found = it->product;
                    break;
                }
                if (it->alias < 0)
                    break;
                step = it->alias;
                if (product[step] >= 0)
                    found = product[step];
            }
            for (const qsizetype step : std::as_const(way))
                product[step] = found;
            way.clear();
        }
        for (qsizetype i = 0; i < aliases.size(); ++i) {
            const Alias& a = aliases[i];
            if (product[i] < 0) {
                rejected.append(Rejection{a.file, a.line, a.brand, a.part, aliasProblem(a)});
                continue;
            }
            Product copy = products[product[i]];
            copy.part = a.part;
            copy.sameAs = a.sameAs;
            copy.file = a.file;
            copy.line = a.line;
            products.append(std::move(copy));
        }
    }

    QString aliasProblem(const Alias& a) const
    {
        const QString named = excerpt(QString(a.brand + QLatin1Char(' ') + a.sameAs));
        if (a.sameAs.isEmpty())
            return QStringLiteral("names no part it is the same as");
        if (a.sameAs == a.part)
            return QStringLiteral("is the same as itself");
        const auto it = claims.constFind(key(a.brand, a.sameAs));
        if (it != claims.constEnd() && it->alias >= 0)
            return QStringLiteral("is the same as %1, which leads to no product").arg(named);
        if (leftOut.contains(key(a.brand, a.sameAs)))
            return QStringLiteral("is the same as %1, which is left out").arg(named);
        return QStringLiteral("is the same as %1, which does not exist").arg(named);
    }
};

// By brand, then part, through collation keys made once per product. The C
// locale collates by code point, without numeric order, so it gives way.
QList<Product> sorted(QList<Product> products)
{
    QCollator collator(QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale());
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    struct Order {
        QCollatorSortKey brand, part;
        Product* product;
    };
    std::vector<Order> order;
    order.reserve(size_t(products.size()));
    for (Product& p : products)
        order.push_back(Order{collator.sortKey(p.brand), collator.sortKey(p.part), &p});
    std::sort(order.begin(), order.end(), [](const Order& a, const Order& b) {
        const int brand = a.brand.compare(b.brand);
        return brand != 0 ? brand < 0 : a.part.compare(b.part) < 0;
    });
    QList<Product> out;
    out.reserve(products.size());
    for (const Order& o : order)
        out.append(std::move(*o.product));
    return out;
}

}  // namespace

ProductDatabase::Sources ProductDatabase::Sources::standard()
{
    Sources sources;
    sources.userFolders = {QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                               QStringLiteral("/libglabels/templates"),
                           QDir::homePath() + QStringLiteral("/.glabels")};
    sources.systemFolders =
        QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("libglabels-3.0/templates"),
                                  QStandardPaths::LocateDirectory);
    return sources;
}

ProductDatabase ProductDatabase::load(const Sources& sources)
{
    ProductDatabase db;
    Collected found;
    PaperSizes papers;
    for (const QString& folder : sources.systemFolders) {
        const QDir dir(folder);
        if (!dir.exists(QStringLiteral("paper-sizes.xml")))
            continue;
        const QString paperFile = dir.filePath(QStringLiteral("paper-sizes.xml"));
        if (const auto bytes = readFile(paperFile, found.rejected))
            papers = readPaperSizes(*bytes, paperFile, found.rejected);
        db.installed_ = !papers.isEmpty();
        break;
    }

    const QStringList folders = sources.userFolders + sources.systemFolders;
    for (int folder = 0; folder < folders.size(); ++folder) {
        const QFileInfoList files =
            QDir(folders[folder])
                .entryInfoList({QStringLiteral("*-templates.xml"), QStringLiteral("*.template")},
                               QDir::Files | QDir::System, QDir::Name);
        for (const QFileInfo& info : files) {
            const QString path = info.filePath();
            if (const auto bytes = readFile(path, found.rejected))
                found.add(folder, path, readProducts(*bytes, path, papers));
        }
    }
    found.resolveAliases();

    db.products_ = sorted(std::move(found.products));
    db.index_.reserve(db.products_.size());
    for (qsizetype i = 0; i < db.products_.size(); ++i)
        db.index_.insert(key(db.products_[i].brand, db.products_[i].part), i);
    db.rejected_ = std::move(found.rejected);
    for (const Rejection& r : std::as_const(db.rejected_))
        qCWarning(lcStock).noquote() << "Left out:" << r.text();
    return db;
}

const Product* ProductDatabase::find(const QString& brand, const QString& part) const
{
    const auto it = index_.constFind(key(brand, part));
    return it == index_.constEnd() ? nullptr : &products_[*it];
}

const Rejection* ProductDatabase::leftOut(const QString& brandAndPart) const
{
    const QString wanted = brandAndPart.simplified();
    const auto named = [&wanted](const QString& brand, const QString& part) {
        return QString(brand + QLatin1Char(' ') + part).compare(wanted, Qt::CaseInsensitive) == 0;
    };
    if (std::any_of(products_.begin(), products_.end(), [&](const Product& p) { return named(p.brand, p.part); }))
        return nullptr;
    const auto it = std::find_if(rejected_.begin(), rejected_.end(), [&](const Rejection& r) {
        return !(r.brand.isEmpty() && r.part.isEmpty()) && named(r.brand, r.part);
    });
    return it == rejected_.end() ? nullptr : &*it;
}

QList<const Product*> ProductDatabase::search(const QString& query) const
{
    const QStringList words = query.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto matches = [&](const Product& p) {
        return std::all_of(words.begin(), words.end(), [&](const QString& w) {
            return p.brand.contains(w, Qt::CaseInsensitive) || p.part.contains(w, Qt::CaseInsensitive) ||
                   p.description.contains(w, Qt::CaseInsensitive);
        });
    };
    QList<const Product*> media{nullptr};
    QList<const Product*> others;
    for (const Product& p : products_)
        if (matches(p))
            (p.isMedia() ? media : others).append(&p);
    return media + others;
}

QString plainPaperText() { return QStringLiteral("Plain paper (one label at the page corner)"); }

QString missingDatabaseHint()
{
    return QStringLiteral(
        "No label products are installed. To print on sheets of labels, install the package glabels-data "
        "(sudo apt install glabels-data). Plain paper works without it.");
}

}  // namespace stock
