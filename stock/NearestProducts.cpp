#include "stock/NearestProducts.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <vector>

namespace stock {

namespace {

// Edits from `a` to `b`: letters left out, added or changed, and two
// neighbours swapped, each one edit.
int editDistance(QStringView a, QStringView b)
{
    const qsizetype n = a.size(), m = b.size();
    std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[i][0] = int(i);
    for (qsizetype j = 0; j <= m; ++j)
        d[0][j] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const int change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[n][m];
}

// How many edits a word of the query may be off: none for one or two
// letters, which are near almost anything.
int allowedEdits(QStringView word) { return word.size() <= 2 ? 0 : word.size() <= 5 ? 1 : 2; }

// The fewest edits from `word` to one of `words` or to the start of one
// (the rest of it not typed yet); 0 where one holds it.
int nearness(const QString& word, const QStringList& words)
{
    int best = std::numeric_limits<int>::max();
    for (const QString& w : words) {
        if (w.contains(word))
            return 0;
        best = std::min({best, editDistance(word, w), editDistance(word, QStringView(w).left(word.size()))});
    }
    return best;
}

QStringList wordsOf(const Product& product)
{
    static const QRegularExpression separators(QStringLiteral("[^\\w-]+"));
    QStringList words{product.brand.toLower(), product.part.toLower()};
    words += product.description.toLower().split(separators, Qt::SkipEmptyParts);
    return words;
}

}  // namespace

QList<const Product*> nearestProducts(const QList<const Product*>& candidates, const QString& query, int most)
{
    const QStringList words = query.simplified().toLower().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || most < 1)
        return {};
    struct Near {
        int edits;
        qsizetype order;
    };
    std::vector<Near> near;
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        const QStringList own = wordsOf(*candidates[i]);
        int edits = 0;
        bool close = true;
        for (const QString& word : words) {
            const int e = nearness(word, own);
            close = e <= allowedEdits(word);
            if (!close)
                break;
            edits += e;
        }
        if (close)
            near.push_back(Near{edits, i});
    }
    std::stable_sort(near.begin(), near.end(), [](const Near& a, const Near& b) { return a.edits < b.edits; });
    QList<const Product*> out;
    for (size_t i = 0; i < near.size() && out.size() < most; ++i)
        out.append(candidates[near[i].order]);
    return out;
}

}  // namespace stock
