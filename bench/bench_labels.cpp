// A print of 50,000 labels (five images' labels, 10,000 copies each) on
// label stock to one PDF, in a run of the real program, against one of
// 5,000: the PDF document is streamed page by page, so the time per label
// and the peak memory stay flat as the print grows.

#include "BenchUtil.h"
#include "ChildRun.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kInputs = 5;
    QTemporaryDir dir;
    if (!bench::makeFloppyImages(dir.path(), kInputs)) {
        std::fprintf(stderr, "bench_labels: the images could not be made\n");
        return 1;
    }
    const QByteArray pdf = QFile::encodeName(dir.filePath(QStringLiteral("labels.pdf")));
    bool ok = true;
    std::vector<double> peakMb[2];
    // One print of kInputs * copies labels: the time per label.
    const auto print = [&](int copies, std::vector<double>& peaks) {
        QList<QByteArray> words{
            TESSERA_BINARY, "--floppy", "--contents", "--stock", "Avery 5196", "--copies", QByteArray::number(copies),
            "--pdf",        pdf};
        for (int i = 1; i <= kInputs; ++i)
            words << QFile::encodeName(dir.filePath(QStringLiteral("disk%1.img").arg(i, 5, 10, QLatin1Char('0'))));
        const bench::ChildRun run = bench::runChild(words, nullptr);
        ok = ok && run.status == 0;
        peaks.push_back(run.peakRssKb / 1024.0);
        return run.ms / (kInputs * copies);
    };
    const bench::Result time = bench::alternate(
        2, [&] { return print(1000, peakMb[0]); }, [&] { return print(10000, peakMb[1]); });
    if (!ok) {
        std::fprintf(stderr, "bench_labels: a print failed\n");
        return 1;
    }
    const double small = bench::median(peakMb[0]), large = bench::median(peakMb[1]);
    std::printf("labels: %.3f ms a label of 5,000, %.3f of 50,000 (%lld MB of PDF); peak %.1f MB and %.1f MB\n",
                time.baselineMs, time.subjectMs, QFileInfo(QFile::decodeName(pdf)).size() >> 20, small, large);
    bench::report("labels-time", time, 1.2);
    bench::report("labels-memory", {small, large}, 1.2, "MB");
    return 0;
}
