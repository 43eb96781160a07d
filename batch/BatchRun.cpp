#include "batch/BatchRun.h"

#include "document/CardDocument.h"
#include "document/Job.h"
#include "document/TemplateDocument.h"
#include "media/DiskImage.h"
#include "output/Pipeline.h"
#include "platform/FileSystem.h"
#include "platform/Pictures.h"
#include "stock/ProductCatalog.h"
#include "stock/ProductChoice.h"
#include "templates/AutomaticContents.h"
#include "ui/Context.h"

#include <QFile>

#include <algorithm>
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

// A template's label, filled by hand or from a folder or disk image.
void addTemplate(document::Job& job, const QStringList& entries, const QString& diskName)
{
    auto& label = static_cast<document::TemplateDocument&>(job.add());
    label.fill(entries);
    // Every disk-name field the template has (the second one only the Zip
    // sleeve paints).
    label.setDiskName(0, diskName);
    label.setDiskName(1, diskName);
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

// Whether `output` is one of the inputs (the same file, through links too).
bool isAnInput(const QByteArray& output, const QList<QByteArray>& inputs)
{
    struct stat out {};
    if (::stat(output.constData(), &out) != 0)
        return false;
    return std::any_of(inputs.begin(), inputs.end(), [&out](const QByteArray& input) {
        struct stat in {};
        return ::stat(input.constData(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino;
    });
}

}  // namespace

void prepareBatchRun()
{
    // A file size limit then fails the write, which is reported, instead of
    // ending the run half-way; so does a closed pipe for progress.
    ::signal(SIGXFSZ, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
    // No window is ever shown: no display is needed, over ssh or in cron.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own warnings (fonts, platform, printing) are no business of the
    // person who runs the command: stderr carries progress and errors.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtFatalMsg)
            std::fprintf(stderr, "tessera: %s\n", message.toLocal8Bit().constData());
    });
}

int runBatch(const BatchRequest& request, ui::Context& context, std::FILE* out)
{
    const LabelKindRow& kind = labelKind(request.labels);
    const QList<QByteArray> inputs = request.inputs.isEmpty() ? QList<QByteArray>{QByteArray()} : request.inputs;
    Messages messages(out, inputs.size());
    const output::Services services{context.printer(), context.settings()};

    stock::Choice choice;
    choice.firstCell = request.startCell;
    choice.copies = request.copies;
    // Actual size, unless a label is larger than the product's: the tab's
    // choice, label by label.
    choice.fit = request.fit.value_or(stock::Fit::ShrinkToFit);
    choice.outline = request.outline;
    if (!request.stock.isEmpty()) {
        const stock::ProductCatalog::Database database =
            stock::ProductCatalog::read(stock::ProductDatabase::Sources::standard()).get();
        ui::Result<stock::Product, QString> product =
            stock::chooseProduct(*database, request.stock, kind.roundLabelsAllowed, roundKinds());
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

    // Where the labels go is known, and checked, before any input is read.
    platform::Destination destination;
    destination.plainPaper = output::defaultPlainPaper();
    if (request.pdf) {
        const QString shown = platform::displayName(*request.pdf);
        destination.pdfFile = QFile::decodeName(*request.pdf);
        if (QFile::encodeName(destination.pdfFile) != *request.pdf) {
            messages.error(
                QStringLiteral("%1: the name of the PDF file must be valid in the locale's encoding").arg(shown));
            return kBatchSomeFailed;
        }
        if (isAnInput(*request.pdf, request.inputs)) {
            messages.error(QStringLiteral("--pdf %1 is one of the inputs: name the PDF file to write").arg(shown));
            return kBatchUsageError;
        }
        if (const QString problem = output::pdfTargetProblem(destination.pdfFile); !problem.isEmpty()) {
            messages.error(QStringLiteral("--pdf %1: %2").arg(shown, problem));
            return kBatchUsageError;
        }
    } else {
        destination.queue = request.printer.isEmpty() ? context.printer().defaultQueue() : local(request.printer);
        if (destination.queue.isEmpty()) {
            messages.error(
                QStringLiteral("no default printer is set up: name one with --printer QUEUE, "
                               "or write a PDF file with --pdf OUT.pdf"));
            return kBatchSomeFailed;
        }
        try {
            context.printer().checkQueue(destination.queue);
        } catch (const ui::Error& error) {
            messages.error(error.description);
            return kBatchSomeFailed;
        }
    }

    document::Job job(kind.kind);
    int failed = 0;
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
            addTemplate(job, request.lines, request.name);
        } else if (kind.design) {
            ui::Result<Input, QString> input = reading.front().get();
            reading.pop_front();
            if (!input) {
                ++failed;
                messages.error(QStringLiteral("%1: %2").arg(shown, input.error()));
                continue;
            }
            addTemplate(job, input->entries, input->diskName);
            messages.progress(i, shortName,
                              count(input->entries.size(), QStringLiteral("entry"), QStringLiteral("entries")));
            if (!input->overflow.isEmpty())
                messages.error(QStringLiteral("%1: %2 (the label was made from the first %3)")
                                   .arg(shown, input->overflow)
                                   .arg(input->entries.size()));
        } else {
            auto card = std::make_unique<document::CardDocument>();
            const ui::Result<QStringList, QString> loaded = card->load(path, context.pictures());
            if (!loaded) {
                ++failed;
                messages.error(QStringLiteral("%1: %2").arg(shown, loaded.error()));
                continue;
            }
            messages.progress(i, shortName, count(card->txtamt, QStringLiteral("line"), QStringLiteral("lines")));
            for (const QString& note : loaded.value())
                messages.error(QStringLiteral("%1: %2").arg(shown, note));
            job.add(std::move(card));
        }
    }

    QString outcome;
    if (job.size() > 0) {
        try {
            const output::Printed printed = output::print(job.labels(), choice, destination, kind.caption, services);
            for (const QString& problem : {printed.calibrationProblem, printed.settingsProblem}) {
                if (!problem.isEmpty())
                    messages.error(problem);
            }
        } catch (const ui::Error& error) {
            outcome = error.description;
        }
    }
    if (!outcome.isEmpty())
        messages.error(outcome);
    if (failed > 0)
        messages.error(QStringLiteral("%1 of %2 inputs failed").arg(failed).arg(inputs.size()));
    return failed > 0 || job.size() == 0 || !outcome.isEmpty() ? kBatchSomeFailed : kBatchAllMade;
}
