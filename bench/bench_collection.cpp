// A collection larger than a command line holds: 20,000 floppy images, each
// with a full label's worth of files, named in a list (--inputs-from) and
// labelled in one run of the real program to one PDF on label stock. The
// time per image and the program's resident memory over the last 2,000
// images are compared with those over the first 2,000: both stay flat, as
// each label is printed as it is made and dropped then.

#include "BenchUtil.h"
#include "ChildRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kImages = 20000;
    constexpr int kWindow = 2000;
    QTemporaryDir dir;
    if (!bench::makeFloppyImages(dir.path(), kImages)) {
        std::fprintf(stderr, "bench_collection: the images could not be made\n");
        return 1;
    }

    QList<double> at;  // when each label was made
    QList<long> resident;
    const QByteArray list = QFile::encodeName(dir.filePath(QStringLiteral("list")));
    const bench::ChildRun run =
        bench::runChild({TESSERA_BINARY, "--floppy", "--contents", "--stock", "Avery 5196", "--inputs-from", list,
                         "--pdf", QFile::encodeName(dir.filePath(QStringLiteral("all.pdf")))},
                        nullptr, [&](pid_t pid, const QByteArray& line, double ms) {
                            if (!line.startsWith('['))
                                return;
                            at.append(ms);
                            resident.append(bench::residentKb(pid));
                        });
    if (run.status != 0 || at.size() != kImages) {
        std::fprintf(stderr, "bench_collection: the run failed (status %d, %lld labels)\n", run.status,
                     qlonglong(at.size()));
        return 1;
    }
    const double first = (at[kWindow - 1] - at[0]) / (kWindow - 1);
    const double last = (at[kImages - 1] - at[kImages - kWindow - 1]) / kWindow;
    const long early = resident[kWindow - 1], late = resident[kImages - 1];
    std::printf(
        "collection: %d images in %.1f s: %.3f ms an image over the first %d, %.3f over the last %d; "
        "the PDF finished %.1f s after the last\n",
        kImages, run.ms / 1000, first, kWindow, last, kWindow, (run.ms - at.last()) / 1000);
    std::printf("collection: resident %.1f MB after %d images, %.1f MB after %d (%.2f kB an image); peak %.1f MB\n",
                early / 1024.0, kWindow, late / 1024.0, kImages, double(late - early) / (kImages - kWindow),
                run.peakRssKb / 1024.0);
    bench::report("collection-time", {first, last}, 1.3);
    bench::report("collection-memory", {early / 1024.0, late / 1024.0}, 1.2, "MB");
    return 0;
}
