#pragma once

#include "stock/ProductReader.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcStock)

namespace stock {

// The label products installed on the system and the user's own, read once
// from their XML files. Nothing reads them before load() is called, which
// the label stock tab does when it is first shown. Every product left out is
// logged as a warning under "tessera.stock" and listed in rejected().
class ProductDatabase {
public:
    // Folders in order of precedence: a product in an earlier folder wins
    // over one of the same brand and part in a later folder (a second one in
    // the same folder is left out). A product sold under another part number
    // ("equiv") is a copy of the product it names, through other such
    // products if need be, with `sameAs` set. The paper sizes come from the
    // first system folder that has them.
    struct Sources {
        QStringList userFolders;
        QStringList systemFolders;

        // The user's "libglabels/templates" in the configuration folder and
        // the older "~/.glabels"; the system's "libglabels-3.0/templates" in
        // the data folders.
        static Sources standard();
    };

    static ProductDatabase load(const Sources& sources);

    // Whether a system database was found: without it only plain paper and
    // the user's products on paper of their own size are available.
    bool installed() const { return installed_; }

    // Sorted by brand, then part (numbers in their numeric order).
    const QList<Product>& products() const { return products_; }
    const QList<Rejection>& rejected() const { return rejected_; }
    const Product* find(const QString& brand, const QString& part) const;

    // For a product's name as the user types it ("JAC 10542": brand and
    // part, ignoring case and runs of blanks), why a product file's product
    // of that name is left out; null where there is none, or where a product
    // of that name is available after all.
    const Rejection* leftOut(const QString& brandAndPart) const;

    // The choices for a search: plain paper first, as a null product (it is
    // not in the database), then each product whose brand, part and
    // description together hold every word of the query, ignoring case:
    // media products (diskette, Zip, CD) first, each group in products()
    // order. The pointers stay valid as long as this database.
    QList<const Product*> search(const QString& query) const;

private:
    bool installed_ = false;
    QList<Product> products_;
    QHash<std::pair<QString, QString>, qsizetype> index_;  // by brand and part
    QList<Rejection> rejected_;
};

// The choice that prints one label at the page corner, as without label stock.
QString plainPaperText();
// What the tab says when installed() is false.
QString missingDatabaseHint();

}  // namespace stock
