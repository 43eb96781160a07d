// Printing each template to a PDF file, as "Print" does, against painting
// the same lines and texts straight onto the same printer into a new file
// and putting it in place of the old one as any replacement that survives a
// crash must: the file synced, renamed over the old one, its folder synced.
// What the two syncs cost alone is said too, since on a slow disk they are
// most of a print.

#include "BenchUtil.h"

#include "app/Forms.h"
#include "app/Startup.h"
#include "output/Pipeline.h"
#include "document/TemplateDocument.h"
#include "document/TemplateDesign.h"
#include "ui/Fonts.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

namespace {

void paintDirect(QPrinter& printer, const document::TemplateDesign& d)
{
    QPainter p(&printer);
    const double s = printer.resolution() / 96.0;
    p.scale(s, s);
    const QFont content = ui::designFont(d.contentFontName, d.contentFontSize);
    p.setFont(content);
    for (const QRect& f : d.contentFields)
        p.drawText(ui::pxRect(f.x(), f.y(), f.width(), f.height()), Qt::AlignLeft | Qt::TextWordWrap,
                   QStringLiteral("Label1"));
    p.setFont(document::diskNameFont());
    p.drawText(ui::pxRect(d.diskName1.x(), d.diskName1.y(), d.diskName1.width(), d.diskName1.height()),
               Qt::AlignHCenter, QStringLiteral("Label2"));
    if (d.diskName0)
        p.drawText(ui::pxRect(d.diskName0->x(), d.diskName0->y(), d.diskName0->width(), d.diskName0->height()),
                   Qt::AlignLeft, QStringLiteral("Label2"));
    if (d.picture)
        p.drawImage(ui::pxRect(d.picture->x(), d.picture->y(), 0, 0).topLeft(), QImage(d.pictureResource));
    if (d.credit) {
        p.setFont(ui::defaultFont());
        p.drawText(ui::pxRect(d.credit->x(), d.credit->y(), d.credit->width(), d.credit->height()), Qt::AlignHCenter,
                   document::kCreditText);
    }
    for (const auto* lines : {&d.rules, &d.outline}) {
        for (const auto& l : *lines) {
            p.setPen(QPen(ui::color(l.color), l.widthPx));
            p.drawLine(ui::pxPoint(l.line.x1(), l.line.y1()), ui::pxPoint(l.line.x2(), l.line.y2()));
        }
    }
}

// Makes what was written to `path` reach the disk.
void sync(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Puts `scratch`, just written, in place of `file`, durably.
void replace(const QString& scratch, const QString& file)
{
    sync(scratch);
    ::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(file).constData());
    sync(QFileInfo(file).absolutePath());
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    configureApplication(app);
    QTemporaryDir dir;
    ui::Context context(ui::Context::systemServices());
    Forms forms(context);
    QPrinter& printer = context.printer().device();
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString file = dir.filePath(QStringLiteral("label.pdf"));
    const QString scratch = dir.filePath(QStringLiteral("label.pdf.new"));
    printer.setOutputFileName(scratch);

    double worst = 0;
    double syncMs = 0;
    for (templates::LabelTemplate* t : {&forms.DiskLabel, &forms.ZipLabel, &forms.ZipSleve, &forms.CDSleve}) {
        t->use();
        const auto result = bench::alternate(
            25,
            [&] {
                return bench::timeMs([&] {
                    paintDirect(printer, t->labelDesign());
                    replace(scratch, file);
                });
            },
            [&] {
                return bench::timeMs([&] {
                    output::print({&t->text()}, stock::Choice(), context.printer().chosen(), t->design().caption,
                                  {context.printer(), context.settings()});
                });
            });
        std::printf("print %s: PDF %lld bytes\n", qPrintable(t->name()), QFileInfo(file).size());
        bench::report(qPrintable(QStringLiteral("print ") + t->name()), result, 1.3);
        worst = std::max(worst, result.ratio());
        syncMs = std::max(syncMs, bench::timeMs([&] {
                                      paintDirect(printer, t->labelDesign());
                                      replace(scratch, file);
                                  }) - bench::timeMs([&] { paintDirect(printer, t->labelDesign()); }));
    }
    std::printf("print: putting the file in place durably costs about %.2f ms here\n", syncMs);
    std::printf("print: ratio %.2f (target <= 1.3)\n", worst);
    return 0;
}
