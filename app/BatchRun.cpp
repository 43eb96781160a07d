#include "app/BatchRun.h"

#include "designer/Design.h"
#include "designer/LabelFile.h"
#include "media/DiskImage.h"
#include "platform/FileSystem.h"
#include "platform/PdfDocument.h"
#include "platform/Pictures.h"
#include "platform/Printer.h"
#include "platform/ReplaceFile.h"
#include "platform/Settings.h"
#include "stock/Calibration.h"
#include "stock/ProductDatabase.h"
#include "stock/SheetPrinting.h"
#include "templates/AutomaticContents.h"
#include "templates/TemplateDesign.h"
#include "templates/TemplateLabel.h"
#include "templates/TemplateText.h"

#include <QBuffer>
#include <QFile>
#include <QLocale>
#include <QPrinter>

#include <csignal>
#include <cstdlib>
#include <deque>
#include <future>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray local(const QString& text) { return text.toLocal8Bit(); }

// "1 entry", "14 entries".
QString count(qsizetype n, const QString& one, const QString& many)
{
    return QString::number(n) + QLatin1Char(' ') + (n == 1 ? one : many);
}

// Progress and errors on stderr: a line for each label, or on a terminal
// one line updated in place; errors always on lines of their own.
class Messages {
public:
    Messages(std::FILE* out, qsizetype total) : out_(out), total_(total), terminal_(::isatty(::fileno(out)) != 0) {}
    ~Messages() { endLine(); }

    void progress(qsizetype index, const QString& input, const QString& what)
    {
        if (total_ <= 1)
            return;
        const QByteArray line = local(QStringLiteral("[%1/%2] %3: %4").arg(index + 1).arg(total_).arg(input, what));
        if (terminal_) {
            std::fprintf(out_, "\r\033[K%s", line.constData());
            pending_ = true;
        } else {
            std::fprintf(out_, "%s\n", line.constData());
        }
        std::fflush(out_);
    }
    void error(const QString& text)
    {
        endLine();
        std::fprintf(out_, "tessera: %s\n", local(text).constData());
        std::fflush(out_);
    }

private:
    void endLine()
    {
        if (pending_)
            std::fputs("\n", out_);
        pending_ = false;
    }
    std::FILE* out_;
    qsizetype total_;
    bool terminal_;
    bool pending_ = false;
};

// A label made, with what it paints.
struct Made {
    std::unique_ptr<templates::TemplateText> text;
    std::unique_ptr<templates::TemplateLabel> templateLabel;
    std::unique_ptr<designer::Design> card;
    const platform::Printable* label() const
    {
        return templateLabel ? static_cast<const platform::Printable*>(templateLabel.get()) : card.get();
    }
};

Made templateLabel(const templates::TemplateDesign& design, const QStringList& entries, const QString& diskName)
{
    Made made;
    made.text = std::make_unique<templates::TemplateText>(design.fieldCount());
    made.text->fill(entries);
    // Every disk-name field the template has (the second one only the Zip
    // sleeve paints).
    made.text->setDiskName(0, diskName);
    made.text->setDiskName(1, diskName);
    made.templateLabel = std::make_unique<templates::TemplateLabel>(*made.text, design);
    return made;
}

// A file or folder name without its extension: "disk12.img" is "disk12".
QString withoutExtension(const QByteArray& name)
{
    const qsizetype dot = name.lastIndexOf('.');
    return platform::displayName(dot > 0 ? name.left(dot) : name);
}

QByteArray withoutTrailingSlashes(QByteArray path)
{
    while (path.size() > 1 && path.endsWith('/'))
        path.chop(1);
    return path;
}

// A folder's own name, "." and ".." resolved.
QByteArray folderName(const QByteArray& path)
{
    QByteArray name = platform::lastComponent(withoutTrailingSlashes(path));
    if (name == "." || name == ".." || name.isEmpty()) {
        if (char* real = ::realpath(path.constData(), nullptr)) {
            name = platform::lastComponent(QByteArray(real));
            std::free(real);
        }
    }
    return name.isEmpty() ? QByteArray("/") : name;
}

// How many inputs are read at once.
constexpr qsizetype kReadersAtOnce = 4;

// What automatic contents fills a label with for a folder or disk image.
struct Input {
    QStringList entries;
    QString diskName;
    QString overflow;  // the contents list's message when it was cut short
};

ui::Result<Input, QString> readInput(const QByteArray& path)
{
    Input input;
    ui::Result<platform::Listing> folder = platform::Listing();
    struct stat status {};
    try {
        if (::stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode)) {
            folder = platform::LocalFileSystem().list(path);
            input.diskName = withoutExtension(folderName(path));
        } else {
            const std::shared_ptr<const media::DiskImage> image = media::DiskImage::open(path);
            folder = image->list(QByteArray());
            input.diskName = image->volumeLabel();
            if (input.diskName.isEmpty())
                input.diskName = withoutExtension(platform::lastComponent(withoutTrailingSlashes(path)));
        }
    } catch (const ui::Error& error) {
        return ui::failed(error.description);
    }
    templates::AutomaticContents made = templates::automaticContents(folder);
    if (!made.entries)
        return ui::failed(made.problem);
    input.entries = std::move(*made.entries);
    input.overflow = made.problem;
    return input;
}

// The kinds that may go on round labels, as options.
QString roundKinds()
{
    QStringList options;
    for (const LabelKindRow& row : labelKinds()) {
        if (row.roundLabelsAllowed)
            options << QStringLiteral("--") + row.option;
    }
    return options.join(QStringLiteral(" and "));
}

// The one label product `typed` names: an exact brand and part first, else
// the only product the label stock tab's search finds for it; round labels
// only for a kind that may lose its corners, as the tab offers them.
ui::Result<stock::Product, QString> findProduct(const QString& typed, const LabelKindRow& kind)
{
    const stock::ProductDatabase database = stock::ProductDatabase::load(stock::ProductDatabase::Sources::standard());
    if (!database.installed() && database.products().isEmpty())
        return ui::failed(QStringLiteral("no label products are installed: ") + stock::missingDatabaseHint());
    const auto offered = [&kind](const stock::Product& product) {
        return kind.roundLabelsAllowed || product.shape.kind == stock::LabelShape::Rectangle;
    };
    const QString wanted = typed.simplified();
    for (const stock::Product& product : database.products()) {
        if (product.name().compare(wanted, Qt::CaseInsensitive) != 0)
            continue;
        if (!offered(product))
            return ui::failed(
                QStringLiteral("%1 has round labels: only %2 may go on them").arg(product.name(), roundKinds()));
        return product;
    }
    QList<const stock::Product*> found;
    for (const stock::Product* product : database.search(wanted)) {
        if (product && offered(*product))  // none: plain paper
            found.append(product);
    }
    if (found.size() == 1)
        return *found.first();
    if (found.isEmpty())
        return ui::failed(QStringLiteral("no label product matches '%1'").arg(typed));
    constexpr qsizetype kListed = 20;
    QStringList names;
    for (const stock::Product* product : found.first(std::min(found.size(), kListed)))
        names << QStringLiteral("  ") + product->name() + QStringLiteral(" - ") + product->description;
    if (found.size() > kListed)
        names << QStringLiteral("  and %1 more").arg(found.size() - kListed);
    return ui::failed(QStringLiteral("'%1' matches %2 label products; name one of them:\n%3")
                          .arg(typed)
                          .arg(found.size())
                          .arg(names.join(QLatin1Char('\n'))));
}

// Paper for a PDF on plain paper: the locale's, as a printer set up here
// would have it.
QPageLayout plainPdfLayout()
{
    const QPageSize size(QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                    : QPageSize::A4);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF());
}

// As a printer's high resolution.
constexpr int kPdfResolution = 1200;

// The labels as one PDF document, laid out as `choice` asks.
QByteArray renderPdf(const QList<const platform::Printable*>& labels, const stock::Choice& choice, const QString& title)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    platform::writePdfDocument(&buffer, stock::pageLayoutFor(choice).value_or(plainPdfLayout()), kPdfResolution, title,
                               [&](QPagedPaintDevice& pdf) { (void)stock::paintSheets(pdf, labels, choice); });
    return buffer.data();
}

// Writes the PDF file safely: an earlier file of that name is replaced
// whole or not at all. Says why it could not be written, or nothing.
QString writePdf(const QByteArray& path, const QByteArray& bytes)
{
    const QString name = QFile::decodeName(path);
    if (QFile::encodeName(name) != path)
        return QStringLiteral("%1: the name of the PDF file must be valid in the locale's encoding")
            .arg(platform::displayName(path));
    const ui::Result<void, QString> saved = platform::replaceFile(name, bytes);
    if (!saved)
        return QStringLiteral("%1 could not be written: %2").arg(platform::displayName(path), saved.error());
    return {};
}

}  // namespace

void prepareBatchRun()
{
    // A file size limit then fails the write, which is reported, instead of
    // ending the run half-way.
    ::signal(SIGXFSZ, SIG_IGN);
    // No window is ever shown: no display is needed, over ssh or in cron.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own warnings (fonts, platform, printing) are no business of the
    // person who runs the command: stderr carries progress and errors.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg)
            std::fprintf(stderr, "tessera: %s\n", message.toLocal8Bit().constData());
    });
}

int runBatch(const BatchRequest& request, std::FILE* out)
{
    const LabelKindRow& kind = labelKind(request.labels);
    const QList<QByteArray> inputs = request.inputs.isEmpty() ? QList<QByteArray>{QByteArray()} : request.inputs;
    Messages messages(out, inputs.size());

    stock::Choice choice;
    choice.firstCell = request.startCell;
    choice.copies = request.copies;
    // Actual size, unless a label is larger than the product's: the tab's
    // choice, label by label.
    choice.fit = request.fit.value_or(stock::Fit::ShrinkToFit);
    choice.outline = request.outline;
    if (!request.stock.isEmpty()) {
        ui::Result<stock::Product, QString> product = findProduct(request.stock, kind);
        if (!product) {
            messages.error(product.error());
            return kBatchUsageError;
        }
        choice.product = std::move(product).value();
        if (!choice.run()) {
            messages.error(QStringLiteral("--start-cell %1: %2 has %3 labels a sheet")
                               .arg(request.startCell)
                               .arg(choice.product->name())
                               .arg(choice.product->cellCount()));
            return kBatchUsageError;
        }
    } else if (request.startCell != 1) {
        messages.error(QStringLiteral("--start-cell is for label stock: name the product with --stock"));
        return kBatchUsageError;
    }

    // Where the labels go is known before any input is read.
    QByteArray queue;
    if (!request.pdf) {
        queue = request.printer.isEmpty() ? platform::defaultQueue() : local(request.printer);
        if (queue.isEmpty()) {
            messages.error(
                QStringLiteral("no default printer is set up: name one with --printer QUEUE, "
                               "or write a PDF file with --pdf OUT.pdf"));
            return kBatchSomeFailed;
        }
        // The printer's correction for label sheets, as the label stock tab
        // keeps it.
        const platform::Settings settings(platform::Settings::userFile());
        choice.calibration = stock::loadCalibration(settings, QString::fromLocal8Bit(queue));
    }

    std::deque<Made> made;
    int failed = 0;
    platform::FilePictures pictures;
    // Folders and images are read a few at a time (an image's lister is a
    // process of its own), and taken in the order given.
    std::deque<std::future<ui::Result<Input, QString>>> reading;
    qsizetype next = 0;
    const auto readAhead = [&](qsizetype upTo) {
        for (; kind.design && request.contents && next < std::min(upTo, inputs.size()); ++next)
            reading.push_back(std::async(std::launch::async, readInput, inputs[next]));
    };
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        readAhead(i + kReadersAtOnce);
        const QByteArray& path = inputs[i];
        const QString shown = platform::displayName(path);
        const QString shortName = platform::displayName(platform::lastComponent(withoutTrailingSlashes(path)));
        if (kind.design && !request.contents) {
            made.push_back(templateLabel(*kind.design, request.lines, request.name));
        } else if (kind.design) {
            ui::Result<Input, QString> input = reading.front().get();
            reading.pop_front();
            if (!input) {
                ++failed;
                messages.error(QStringLiteral("%1: %2").arg(shown, input.error()));
                continue;
            }
            made.push_back(templateLabel(*kind.design, input->entries, input->diskName));
            messages.progress(i, shortName,
                              count(input->entries.size(), QStringLiteral("entry"), QStringLiteral("entries")));
            if (!input->overflow.isEmpty())
                messages.error(QStringLiteral("%1: %2 (the label was made from the first %3)")
                                   .arg(shown, input->overflow)
                                   .arg(input->entries.size()));
        } else {
            auto card = std::make_unique<designer::Design>();
            const ui::Result<QStringList, QString> loaded = card->load(path, pictures);
            if (!loaded) {
                ++failed;
                messages.error(QStringLiteral("%1: %2").arg(shown, loaded.error()));
                continue;
            }
            messages.progress(i, shortName, count(card->txtamt, QStringLiteral("line"), QStringLiteral("lines")));
            for (const QString& note : loaded.value())
                messages.error(QStringLiteral("%1: %2").arg(shown, note));
            made.push_back(Made{nullptr, nullptr, std::move(card)});
        }
    }

    QString outcome;
    QList<const platform::Printable*> labels;
    for (const Made& label : made)
        labels.append(label.label());
    const QString title = kind.caption;
    if (!labels.isEmpty()) {
        try {
            if (request.pdf) {
                outcome = writePdf(*request.pdf, renderPdf(labels, choice, title));
            } else {
                platform::SystemPrinter printer;
                printer.device().setPrinterName(QString::fromLocal8Bit(queue));
                (void)printer.print(labels, choice, title);
            }
        } catch (const ui::Error& error) {
            outcome = error.description;
        }
    }
    if (!outcome.isEmpty())
        messages.error(outcome);
    if (failed > 0)
        messages.error(QStringLiteral("%1 of %2 inputs failed").arg(failed).arg(inputs.size()));
    return failed > 0 || labels.isEmpty() || !outcome.isEmpty() ? kBatchSomeFailed : kBatchAllMade;
}
