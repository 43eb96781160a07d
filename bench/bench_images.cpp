// Opening a CD image of about 650 MB whose root holds 5,000 entries and
// building its contents list, against listing the same tree from a
// directory. Also reports the bytes read from the image: only its
// directory records, never its file data.

#include "BenchUtil.h"

#include "media/ContentsList.h"
#include "media/DiskImage.h"
#include "platform/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

qint64 bytesRead()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString tree = dir.filePath(QStringLiteral("tree"));
    QDir().mkpath(tree);
    for (int i = 0; i < 4999; ++i) {
        QFile f(QStringLiteral("%1/file number %2.txt").arg(tree).arg(i));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(QByteArray::number(i));
    }
    {
        QFile big(tree + QStringLiteral("/disc.bin"));
        if (!big.open(QIODevice::WriteOnly) || !big.resize(650ll * 1024 * 1024))
            return 1;
    }
    const QString iso = dir.filePath(QStringLiteral("cd.iso"));
    QProcess mk;
    mk.start(QStringLiteral("xorriso"), {QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-quiet"),
                                         QStringLiteral("-J"), QStringLiteral("-R"), QStringLiteral("-o"), iso, tree});
    if (!mk.waitForFinished(600000) || mk.exitCode() != 0) {
        std::printf("images: xorriso failed: %s\n", mk.readAllStandardError().constData());
        return 1;
    }
    std::printf("images: %s is %lld MB\n", qPrintable(QFileInfo(iso).fileName()), QFileInfo(iso).size() >> 20);

    platform::LocalFileSystem local;
    const QByteArray treePath = QFile::encodeName(tree);
    int entries = 0;
    const auto result = bench::alternate(
        15,
        [&] {
            return bench::timeMs([&] {
                const platform::Listing l = local.list(treePath);
                QStringList list;
                (void)media::ContentsList::fill(list, l.directories, l.files);
                entries = int(list.size());
            });
        },
        [&] {
            return bench::timeMs([&] {
                const auto image = media::DiskImage::open(iso);
                const platform::Listing l = image->list({});
                QStringList list;
                (void)media::ContentsList::fill(list, l.directories, l.files);
                entries = int(list.size());
            });
        });
    const qint64 before = bytesRead();
    (void)media::DiskImage::open(iso);
    const qint64 read = bytesRead() - before;
    std::printf("images: %d entries; opening the image read %lld KB of its %lld MB\n", entries, read >> 10,
                QFileInfo(iso).size() >> 20);
    bench::report("images", result, 3);
    return 0;
}
