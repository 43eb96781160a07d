// Labels without a window: 200 floppy images labelled in one run to one PDF,
// per label, against printing one label to a PDF as "Print" does.

#include "BenchUtil.h"

#include "batch/BatchRun.h"
#include "app/Startup.h"
#include "output/Pipeline.h"
#include "platform/Settings.h"
#include "ui/Context.h"
#include "document/TemplateDocument.h"

#include <QApplication>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    prepareBatchRun();
    QApplication app(argc, argv);
    configureApplication(app);

    constexpr int kImages = 200;
    QTemporaryDir dir;
    QProcess make;
    make.setWorkingDirectory(dir.path());
    make.start(QStringLiteral("sh"),
               {QStringLiteral("-ec"),
                QStringLiteral("for i in $(seq -w 1 %1); do mkfs.fat -n DISK$i -C disk$i.img 1440 >/dev/null; "
                               "echo x > FILE$i.TXT; mcopy -i disk$i.img FILE$i.TXT ::/; mmd -i disk$i.img ::/SUB; "
                               "rm FILE$i.TXT; done")
                    .arg(kImages)});
    if (!make.waitForFinished(600000) || make.exitCode() != 0) {
        std::fprintf(stderr, "bench_batch: the images could not be made\n");
        return 1;
    }

    BatchRequest request;
    request.labels = LabelKind::Floppy;
    request.contents = true;
    request.pdf = QFile::encodeName(dir.filePath(QStringLiteral("batch.pdf")));
    for (int i = 1; i <= kImages; ++i)
        request.inputs.append(
            QFile::encodeName(dir.filePath(QStringLiteral("disk%1.img").arg(i, 3, 10, QLatin1Char('0')))));
    std::FILE* quiet = std::fopen("/dev/null", "w");

    // One label printed to a PDF file as "Print" prints it.
    document::TemplateDocument label(LabelKind::Floppy);
    label.fill({QStringLiteral("[SUB]"), QStringLiteral("FILE001.TXT")});
    label.setDiskName(1, QStringLiteral("DISK001"));
    ui::Context context(ui::Context::systemServices(),
                        std::make_unique<platform::Settings>(dir.filePath(QStringLiteral("settings.conf"))));
    const platform::Destination one{dir.filePath(QStringLiteral("one.pdf")), {}, output::defaultPlainPaper()};
    const output::Services services{context.printer(), context.settings()};

    bool ok = true;
    const bench::Result r = bench::alternate(
        3,
        [&] {
            return bench::timeMs(
                [&] { output::print({&label}, stock::Choice(), one, QStringLiteral("1.44MB Disk Label"), services); });
        },
        [&] {
            return bench::timeMs([&] { ok = runBatch(request, context, quiet) == kBatchAllMade && ok; }) / kImages;
        });
    std::fclose(quiet);
    if (!ok) {
        std::fprintf(stderr, "bench_batch: the run failed\n");
        return 1;
    }
    bench::report("batch", r, 1.5);
    return 0;
}
