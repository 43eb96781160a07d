#include "batch/BatchRun.h"

#include "collection/Collections.h"
#include "document/CardDocument.h"
#include "document/DiscFace.h"
#include "document/TemplateDocument.h"
#include "media/DiskImage.h"
#include "output/Pipeline.h"
#include "platform/FileSystem.h"
#include "platform/Pictures.h"
#include "stock/ProductCatalog.h"
#include "stock/PrintRun.h"
#include "stock/ProductChoice.h"
#include "stock/SheetMemory.h"
#include "templates/AutomaticContents.h"
#include "ui/Context.h"

#include <QFile>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <future>
#include <memory>
#include <optional>
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
// one line updated in place; errors always on lines of their own. A write
// that fails (a full disk, a pipe closed early) costs the message alone:
// the run goes on and makes its labels.
class Messages {
public:
    Messages(std::FILE* out, qsizetype total) : out_(out), total_(total), terminal_(::isatty(::fileno(out)) != 0) {}
    ~Messages() { endLine(); }

    // What became of an input, for a run of several labels. A `notable` one
    // (a label that shows less than its input holds) stays on the screen,
    // and is told of a single label too.
    void progress(qsizetype index, const QString& input, const QString& what, bool notable = false)
    {
        if (total_ <= 1) {
            if (notable)
                error(QStringLiteral("%1: %2").arg(input, what));
            return;
        }
        const QByteArray line = local(QStringLiteral("[%1/%2] %3: %4").arg(index + 1).arg(total_).arg(input, what));
        if (terminal_) {
            std::fprintf(out_, "\r\033[K%s", line.constData());
            pending_ = true;
            if (notable)
                endLine();
        } else {
            std::fprintf(out_, "%s\n", line.constData());
        }
        std::fflush(out_);
    }
    // One line, however many paragraphs the windows' message of it has.
    void error(QString text)
    {
        endLine();
        text.replace(QStringLiteral("\n\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
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
std::unique_ptr<document::Document> templateLabel(LabelKind kind, const QStringList& entries, const QString& diskName)
{
    std::unique_ptr<document::Document> made = labelKind(kind).make(kind);
    auto& label = static_cast<document::TemplateDocument&>(*made);
    label.fill(entries);
    // Every disk-name field the template has (the second one only the Zip
    // sleeve paints).
    label.setDiskName(0, diskName);
    label.setDiskName(1, diskName);
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

// What automatic contents fills a label with for a folder or disk image:
// the entries the label shows, of `total`.
struct Input {
    QStringList entries;
    qsizetype total = 0;
    QString diskName;
};

// `room`: how many entries the label shows.
ui::Result<Input, QString> readInput(const QByteArray& path, int room)
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
    // The contents list, of which the label keeps what it shows.
    templates::AutomaticContents made = templates::automaticContents(folder);
    if (!made.entries)
        return ui::failed(made.problem);
    input.total = folder->directories.size() + folder->files.size();
    input.entries = made.entries->mid(0, room);
    return input;
}

// "300 entries, 20 on the label"; "14 entries" when the label shows them all.
QString entriesShown(const Input& input)
{
    QString what = count(input.total, QStringLiteral("entry"), QStringLiteral("entries"));
    if (input.entries.size() < input.total)
        what += QStringLiteral(", %1 on the label").arg(input.entries.size());
    return what;
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

// Whether the file `out` is one of the inputs (the same file, through links
// too).
bool isAnInput(const struct stat& out, const QList<QByteArray>& inputs)
{
    return std::any_of(inputs.begin(), inputs.end(), [&out](const QByteArray& input) {
        struct stat in {};
        return ::stat(input.constData(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino;
    });
}

bool isAnInput(const QByteArray& output, const QList<QByteArray>& inputs)
{
    struct stat out {};
    return ::stat(output.constData(), &out) == 0 && isAnInput(out, inputs);
}

// The longest name a list of inputs may hold: what the system takes as a path.
constexpr qsizetype kMaxNameBytes = PATH_MAX;

// The inputs named by `from` ("-": standard input), one a line or each ended
// by `separator`, after `given`; at most `most` of them, empty names left
// out. Says what is wrong with the list.
ui::Result<QList<QByteArray>, QString> readInputList(const QByteArray& from, char separator, QList<QByteArray> given,
                                                     qsizetype most)
{
    const bool standardInput = from == "-";
    const QString shown = standardInput ? QStringLiteral("standard input") : platform::displayName(from);
    const auto problem = [&shown](const QString& what) {
        return ui::failed(QStringLiteral("--inputs-from %1: %2").arg(shown, what));
    };
    const int fd = standardInput ? STDIN_FILENO : ::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return problem(QString::fromLocal8Bit(::strerror(errno)));
    const auto closing = qScopeGuard([fd, standardInput] {
        if (!standardInput)
            ::close(fd);
    });
    QList<QByteArray> inputs = std::move(given);
    QByteArray name;
    QByteArray chunk(1 << 16, Qt::Uninitialized);
    qint64 line = 1;
    const auto take = [&]() -> QString {
        if (!name.isEmpty())
            inputs.append(name);
        name.clear();
        ++line;
        return inputs.size() > most ? QStringLiteral("more than %1 inputs, more than one print holds").arg(most)
                                    : QString();
    };
    for (;;) {
        const ssize_t got = ::read(fd, chunk.data(), size_t(chunk.size()));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return problem(QString::fromLocal8Bit(::strerror(errno)));
        if (got == 0)
            break;
        for (const char c : QByteArrayView(chunk.constData(), got)) {
            if (c == separator) {
                if (const QString wrong = take(); !wrong.isEmpty())
                    return problem(wrong);
            } else if (c == '\0') {
                return problem(
                    QStringLiteral("line %1 holds a NUL byte; --null reads names that end with one").arg(line));
            } else if (name.size() == kMaxNameBytes) {
                return problem(QStringLiteral("%1 %2 is longer than a file name may be")
                                   .arg(separator == '\0' ? QStringLiteral("name") : QStringLiteral("line"))
                                   .arg(line));
            } else {
                name.append(c);
            }
        }
    }
    if (const QString wrong = take(); !wrong.isEmpty())
        return problem(wrong);
    if (inputs.isEmpty())
        return problem(QStringLiteral("names no folder, disk image or label file"));
    return inputs;
}

// Standard output for a PDF document alone: the document goes to a
// descriptor of its own, and anything else that would write on standard
// output (a library, a helper program) writes on stderr instead. Put back
// as it was when this goes.
class PdfOnStandardOutput {
public:
    PdfOnStandardOutput()
    {
        std::fflush(stdout);
        descriptor = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
        if (descriptor >= 0)
            ::dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    ~PdfOnStandardOutput()
    {
        if (descriptor < 0)
            return;
        std::fflush(stdout);
        ::dup2(descriptor, STDOUT_FILENO);
        ::close(descriptor);
    }
    PdfOnStandardOutput(const PdfOnStandardOutput&) = delete;
    PdfOnStandardOutput& operator=(const PdfOnStandardOutput&) = delete;
    int descriptor = -1;
};

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
    const bool labelPerInput = !kind.design || request.contents;
    // Everything the command line asks for is checked before the first input
    // is read: a mistake costs no time.
    QList<QByteArray> inputs = labelPerInput ? request.inputs : QList<QByteArray>{QByteArray()};
    if (request.inputsFrom) {
        ui::Result<QList<QByteArray>, QString> listed =
            readInputList(*request.inputsFrom, request.nullSeparated ? '\0' : '\n', request.inputs, stock::kMaxLabels);
        if (!listed) {
            Messages(out, 1).error(listed.error());
            return kBatchUsageError;
        }
        inputs = std::move(listed).value();
    }
    Messages messages(out, inputs.size());
    if (const qint64 labels = qint64(inputs.size()) * request.copies; labels > stock::kMaxLabels) {
        messages.error(QStringLiteral("%1 labels (%2 %3, %4 copies each) are more than one print holds, at most %5")
                           .arg(labels)
                           .arg(inputs.size())
                           .arg(inputs.size() == 1 ? QStringLiteral("input") : QStringLiteral("inputs"))
                           .arg(request.copies)
                           .arg(stock::kMaxLabels));
        return kBatchUsageError;
    }
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
        ui::Result<stock::Product, QString> product = stock::chooseProduct(
            *database, request.stock, kind.roundLabelsAllowed || request.printCollected, roundKinds());
        if (!product) {
            messages.error(product.error());
            return kBatchUsageError;
        }
        choice.product = std::move(product).value();
        if (request.discFace && !stock::discFaceOffered(choice.product)) {
            messages.error(QStringLiteral("%1 is no round label: a disc face goes on round labels or plain paper")
                               .arg(choice.product->name()));
            return kBatchUsageError;
        }
        if (!choice.run()) {
            messages.error(QStringLiteral("--start-cell %1: %2 has %3 labels a sheet")
                               .arg(request.startCell)
                               .arg(choice.product->name())
                               .arg(choice.product->cellCount()));
            return kBatchUsageError;
        }
    }

    choice.discFace = kind.discFace && request.discFace.value_or(stock::discFaceByDefault(choice.product));

    // Where the labels go is known, and checked, before any input is read.
    platform::Destination destination;
    destination.plainPaper = output::defaultPlainPaper();
    std::optional<PdfOnStandardOutput> standardOutput;
    if (request.collect) {
        // Nothing is printed now.
    } else if (request.pdf == "-") {
        struct stat status {};
        if (::isatty(STDOUT_FILENO)) {
            messages.error(
                QStringLiteral("--pdf - writes the PDF document on standard output, which is a terminal: "
                               "send it to a file or a program"));
            return kBatchUsageError;
        }
        if (::fstat(STDOUT_FILENO, &status) != 0) {
            messages.error(QStringLiteral("--pdf -: standard output is closed"));
            return kBatchUsageError;
        }
        if (S_ISREG(status.st_mode) && isAnInput(status, inputs)) {
            messages.error(QStringLiteral("--pdf -: standard output is one of the inputs"));
            return kBatchUsageError;
        }
        standardOutput.emplace();
        destination.pdfFile = QStringLiteral("standard output");
        destination.pdfDescriptor = standardOutput->descriptor;
    } else if (request.pdf) {
        const QString shown = platform::displayName(*request.pdf);
        destination.pdfFile = QFile::decodeName(*request.pdf);
        if (QFile::encodeName(destination.pdfFile) != *request.pdf) {
            messages.error(
                QStringLiteral("--pdf %1: the name of the PDF file must be valid in the locale's encoding").arg(shown));
            return kBatchUsageError;
        }
        if (isAnInput(*request.pdf, inputs)) {
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

    // Each label is made as printing asks for the next one, and dropped
    // once printed: a run holds a few listings and one label at a time,
    // however many inputs it has.
    std::unique_ptr<document::Document> label;
    std::unique_ptr<document::DiscFace> face;  // the label's, where it prints as one
    int failed = 0;
    qsizetype made = 0;
    const int room = kind.design ? kind.design->fieldCount() : 0;
    // Folders and images are read a few at a time (an image's lister is a
    // process of its own), and taken in the order given.
    std::deque<std::future<ui::Result<Input, QString>>> reading;
    qsizetype next = 0;
    const auto readAhead = [&](qsizetype upTo) {
        for (; kind.design && request.contents && next < std::min(upTo, inputs.size()); ++next)
            reading.push_back(std::async(std::launch::async, readInput, inputs[next], room));
    };
    // The label of the next input that makes one, or null after the last.
    qsizetype i = 0;
    const auto nextLabel = [&]() -> const platform::Printable* {
        face.reset();
        label.reset();
        for (; !label && i < inputs.size(); ++i) {
            readAhead(i + kReadersAtOnce);
            const QByteArray& path = inputs[i];
            const QString shown = platform::displayName(path);
            const QString shortName = platform::displayName(platform::lastComponent(withoutTrailingSlashes(path)));
            if (kind.design && !request.contents) {
                label = templateLabel(kind.kind, request.lines, request.name);
            } else if (kind.design) {
                ui::Result<Input, QString> input = reading.front().get();
                reading.pop_front();
                if (!input) {
                    ++failed;
                    messages.error(QStringLiteral("%1: %2").arg(shown, input.error()));
                    continue;
                }
                label = templateLabel(kind.kind, input->entries, input->diskName);
                messages.progress(i, shortName, entriesShown(*input), input->entries.size() < input->total);
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
                label = std::move(card);
            }
        }
        made += label ? 1 : 0;
        face = label ? document::discFaceFor(*label, choice) : nullptr;
        if (face && face->linesShown() < face->lines().size())
            messages.error(QStringLiteral("%1: %2").arg(platform::displayName(inputs[i - 1]), face->fitNote()));
        return face ? face.get() : label.get();
    };

    QString outcome;
    std::optional<collection::Collections> collections;
    if (request.collect || request.printCollected) {
        collections.emplace(context.pictures());
        // Read now, so that a stored sheet set aside is told first.
        if (choice.product)
            (void)collections->of(*choice.product);
        for (const QString& note : collections->takeNotes())
            messages.error(note);
    }
    if (request.collect) {
        // Each label in the first free cells from the start cell on, the
        // next one after it; one that finds no room is not collected.
        const stock::Product& product = *choice.product;
        const QList<int> used = stock::SheetMemory(context.settings()).usedCells(product);
        int from = request.startCell;
        while (nextLabel()) {
            ui::Result<QList<int>, QString> cells = ui::failed(QString());
            for (int cell = from; cell <= product.cellCount(); ++cell) {
                cells = collections->cellsFor(product, cell, request.copies, used);
                if (cells || collections->of(product).fills(used))
                    break;
            }
            if (cells) {
                if (const ui::Result<void, QString> added = collections->add(product, *label, *cells, choice.discFace);
                    !added)
                    cells = ui::failed(QStringLiteral("the label was not collected: %1").arg(added.error()));
            }
            if (!cells) {
                ++failed;
                messages.error(cells.error().isEmpty()
                                   ? QStringLiteral("The label does not fit on the collected sheet of %1 from label "
                                                    "%2 on: it was not collected.")
                                         .arg(product.name())
                                         .arg(from)
                                   : cells.error());
                continue;
            }
            from = cells->last() + 1;
            messages.error(QStringLiteral("%1 of %2 collected on %3; the sheet prints with --print-collected.")
                               .arg(cells->size() == 1
                                        ? QStringLiteral("Label %1").arg(cells->first())
                                        : QStringLiteral("Labels %1 to %2").arg(cells->first()).arg(cells->last()))
                               .arg(product.cellCount())
                               .arg(product.name()));
        }
        if (failed > 0)
            messages.error(QStringLiteral("%1 of %2 inputs failed").arg(failed).arg(inputs.size()));
        return failed > 0 || made == 0 ? kBatchSomeFailed : kBatchAllMade;
    }
    try {
        const output::Printed printed =
            request.printCollected
                ? collection::printCollected(*collections, *choice.product, nullptr, choice, destination,
                                             QStringLiteral("Collected sheet"), services)
                : output::print(stock::LabelStream{inputs.size(), nextLabel}, choice, destination, kind.caption,
                                services);
        if (!printed.missingCharacters.isEmpty())
            messages.error(output::missingCharactersNote(printed.missingCharacters));
        for (const QString& problem : {printed.calibrationProblem, printed.settingsProblem}) {
            if (!problem.isEmpty())
                messages.error(problem);
        }
    } catch (const ui::Error& error) {
        outcome = error.description;
    }
    if (!outcome.isEmpty())
        messages.error(outcome);
    if (failed > 0)
        messages.error(QStringLiteral("%1 of %2 inputs failed").arg(failed).arg(inputs.size()));
    return failed > 0 || (made == 0 && !request.printCollected) || !outcome.isEmpty() ? kBatchSomeFailed
                                                                                      : kBatchAllMade;
}
