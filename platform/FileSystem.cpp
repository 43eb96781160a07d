#include "platform/FileSystem.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {

QString displayName(const QByteArray& name)
{
    // Names from older disks are often Latin-1 rather than UTF-8: shown as
    // Latin-1 they read as written instead of as replacement characters.
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8(name);
    if (utf8.hasError())
        decoded = QString::fromLatin1(name);
    // A control character (a tab, a newline that would split the entry in
    // two) shows as "?", as do the separators that break a line.
    for (QChar& c : decoded) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == 0x2028 || u == 0x2029)
            c = QLatin1Char('?');
    }
    return decoded;
}

QByteArray joinPath(const QByteArray& directory, const QByteArray& name)
{
    return directory.endsWith('/') ? directory + name : directory + '/' + name;
}

QByteArray parentPath(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash <= 0)
        return QByteArray("/");
    return path.left(slash);
}

QByteArray lastComponent(const QByteArray& path) { return path.mid(path.lastIndexOf('/') + 1); }

QByteArray cleanPath(QByteArrayView raw)
{
    QByteArray path;
    path.reserve(raw.size());
    const char* at = raw.data();
    const char* const end = at + raw.size();
    while (at < end) {
        const void* slash = std::memchr(at, '/', size_t(end - at));
        const char* const next = slash ? static_cast<const char*>(slash) : end;
        if (next > at && !(next - at == 1 && *at == '.')) {
            if (!path.isEmpty())
                path += '/';
            path.append(at, next - at);
        }
        at = next + 1;
    }
    return path;
}

void sortEntries(QList<DirEntry>& entries)
{
    // Each name is case-folded once, not at every comparison.
    struct Key {
        QString folded;
        qsizetype index;
    };
    std::vector<Key> keys;
    keys.reserve(size_t(entries.size()));
    for (qsizetype i = 0; i < entries.size(); ++i)
        keys.push_back({entries[i].display.toCaseFolded(), i});
    std::sort(keys.begin(), keys.end(), [&entries](const Key& a, const Key& b) {
        const int byText = QString::compare(a.folded, b.folded, Qt::CaseSensitive);
        if (byText != 0)
            return byText < 0;
        return entries[a.index].name < entries[b.index].name;
    });
    QList<DirEntry> sorted;
    sorted.reserve(entries.size());
    for (const Key& key : keys)
        sorted.append(std::move(entries[key.index]));
    entries = std::move(sorted);
}

bool isUnder(const QByteArray& path, const QByteArray& root)
{
    if (root == "/")
        return path.startsWith('/');
    return path == root || path.startsWith(root + '/');
}

}  // namespace platform
