#include "app/CommandLine.h"

#include "stock/PrintRun.h"
#include "document/LabelKind.h"
#include "document/TemplateDesign.h"
#include "ui/AppInfo.h"
#include "platform/FileSystem.h"

#include <QCommandLineParser>

#include <algorithm>
#include <climits>

namespace {

// An option's definition: its names, its value, its one line of help; the
// options are listed in the order help lists them.
struct OptionDefinition {
    QStringList names;
    QString valueName;  // none for a switch
    QString description;
    bool qt = false;  // Qt's own, passed on to Qt and written with one dash
};

// The kinds of label the command line makes: every kind that has an option.
QList<const LabelKindRow*> kindRows()
{
    QList<const LabelKindRow*> rows;
    for (const LabelKindRow& row : labelKinds()) {
        if (!row.option.isEmpty())
            rows.append(&row);
    }
    return rows;
}

// The options of the kinds that have a disc face, "--cd".
QString discFaceKinds()
{
    QStringList names;
    for (const LabelKindRow* row : kindRows()) {
        if (row->discFace)
            names << QStringLiteral("--") + row->option;
    }
    return names.join(QStringLiteral(" and "));
}

// The template kinds' options, "--floppy, --zip-label, ..." with `last`
// before the last one.
QString templateKindList(const QString& last)
{
    QStringList names;
    for (const LabelKindRow* row : kindRows()) {
        if (row->design)
            names << QStringLiteral("--") + row->option;
    }
    const QString final = names.takeLast();
    return names.join(QStringLiteral(", ")) + last + final;
}

QList<OptionDefinition> makeOptionDefinitions()
{
    QList<OptionDefinition> definitions = {
        {{QStringLiteral("h"), QStringLiteral("help")}, {}, QStringLiteral("show this text and exit")},
        {{QStringLiteral("v"), QStringLiteral("version")}, {}, QStringLiteral("show the version and exit")},
    };
    for (const LabelKindRow* row : kindRows())
        definitions.append({{row->option}, {}, row->optionHelp});
    definitions += {
        {{QStringLiteral("contents")}, {}, QStringLiteral("one label per folder or disk image, filled from it")},
        {{QStringLiteral("name")},
         QStringLiteral("TEXT"),
         QStringLiteral("one label filled by hand, with this disk name")},
        {{QStringLiteral("line")},
         QStringLiteral("TEXT"),
         QStringLiteral("a line of its contents; repeated for each line")},
        {{QStringLiteral("inputs-from")},
         QStringLiteral("FILE"),
         QStringLiteral("more inputs, one a line, from FILE ('-': standard input)")},
        {{QStringLiteral("null")}, {}, QStringLiteral("the names in FILE end with a NUL byte (find -print0)")},
        {{QStringLiteral("pdf")},
         QStringLiteral("OUT.pdf"),
         QStringLiteral("write the labels to this PDF file ('-': standard output)")},
        {{QStringLiteral("printer")},
         QStringLiteral("QUEUE"),
         QStringLiteral("print here, not on the default printer")},
        {{QStringLiteral("stock")},
         QStringLiteral("PRODUCT"),
         QStringLiteral("print on label stock, such as \"Avery 5196\"")},
        {{QStringLiteral("start-cell")},
         QStringLiteral("N"),
         QStringLiteral("start at this label of the sheet, from 1")},
        {{QStringLiteral("copies")},
         QStringLiteral("N"),
         QStringLiteral("print each label N times (1 to %1)").arg(stock::kMaxCopies)},
        {{QStringLiteral("fit")},
         QStringLiteral("actual|shrink"),
         QStringLiteral("actual size or shrunk to fit; default: shrunk if larger")},
        {{QStringLiteral("outline")}, {}, QStringLiteral("draw each label's outline")},
        {{QStringLiteral("layout")},
         QStringLiteral("LAYOUT"),
         QStringLiteral("disc-face or sleeve: how --cd goes on round labels")},
        {{QStringLiteral("disc-face")}, {}, QStringLiteral("--cd as a disc face, also on plain paper")},
        {{QStringLiteral("collect")},
         {},
         QStringLiteral("keep the labels for the product's sheet, unprinted")},
        {{QStringLiteral("print-collected")}, {}, QStringLiteral("print the collected sheet of the --stock product")},
        {{QStringLiteral("platform")},
         QStringLiteral("NAME"),
         QStringLiteral("the Qt platform to show windows with (xcb, wayland, ...)"),
         true},
        {{QStringLiteral("display")}, QStringLiteral("NAME"), QStringLiteral("the X display to show windows on"), true},
    };
    return definitions;
}

const QList<OptionDefinition>& optionDefinitions()
{
    static const QList<OptionDefinition> definitions = makeOptionDefinitions();
    return definitions;
}

bool isEscape(QChar c) { return c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF; }

// An argument as text for the parser, one to one with its bytes: UTF-8 as
// it is; anything else with every byte from 0x80 up as a lone surrogate
// (U+DC80 to U+DCFF), which no UTF-8 text decodes to.
QString argumentText(const QByteArray& bytes)
{
    const QString decoded = QString::fromUtf8(bytes);
    if (decoded.toUtf8() == bytes)
        return decoded;
    QString escaped;
    escaped.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = uchar(c);
        escaped.append(byte < 0x80 ? QChar(char16_t(byte)) : QChar(char16_t(0xDC00 + byte)));
    }
    return escaped;
}

// The bytes an argument's text, or a part of it, came from.
QByteArray argumentBytes(const QString& text)
{
    if (std::none_of(text.begin(), text.end(), isEscape))
        return text.toUtf8();
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const QChar c : text)
        bytes.append(char(isEscape(c) ? c.unicode() - 0xDC00 : c.unicode()));
    return bytes;
}

CommandLine answer(CommandLine::Action action)
{
    CommandLine line;
    line.action = action;
    return line;
}

CommandLine usageError(const QString& problem)
{
    CommandLine line = answer(CommandLine::Action::UsageError);
    line.error = QStringLiteral("tessera: %1 (try 'tessera --help')").arg(problem);
    return line;
}

// The option that the parser found unknown, as it was typed.
QString typedOption(const QList<QByteArray>& arguments, const QString& name)
{
    for (const QByteArray& argument : arguments) {
        if (argument == "--")
            break;
        const QByteArray option = argument.split('=').first();
        if (option.startsWith('-') && argumentText(option.mid(option.startsWith("--") ? 2 : 1)) == name)
            return platform::displayName(option);
    }
    return name;
}

// "--copies" and the like: digits only, within bounds.
std::optional<int> wholeNumber(const QString& text, int least, int most)
{
    if (text.isEmpty() || !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < least || number > most)
        return std::nullopt;
    return number;
}

QString dashed(const QString& name) { return QStringLiteral("--") + name; }

// What the parser found, as the bytes the program was given and as texts
// to show.
class Options {
public:
    explicit Options(const QCommandLineParser& parser) : parser_(parser) {}
    bool has(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    QByteArray bytes(const QString& name) const { return argumentBytes(parser_.value(name)); }
    QString text(const QString& name) const { return platform::displayName(bytes(name)); }
    QStringList texts(const QString& name) const
    {
        QStringList out;
        for (const QString& value : parser_.values(name))
            out.append(platform::displayName(argumentBytes(value)));
        return out;
    }

private:
    const QCommandLineParser& parser_;
};

const QStringList& templateOptions()
{
    static const QStringList names = {QStringLiteral("contents"), QStringLiteral("name"), QStringLiteral("line")};
    return names;
}

// The options of a run without a window beside the kind's own.
const QStringList& batchOptions()
{
    static const QStringList names = {
        QStringLiteral("inputs-from"), QStringLiteral("null"),     QStringLiteral("pdf"),
        QStringLiteral("printer"),     QStringLiteral("stock"),    QStringLiteral("start-cell"),
        QStringLiteral("copies"),      QStringLiteral("fit"),      QStringLiteral("outline"),
        QStringLiteral("layout"),      QStringLiteral("disc-face"), QStringLiteral("collect")};
    return names;
}

// The options that say how labels go on label stock.
const QStringList& stockOptions()
{
    static const QStringList names = {QStringLiteral("start-cell"), QStringLiteral("fit"), QStringLiteral("outline")};
    return names;
}

// The first of `names` given, or an empty text.
QString firstGiven(const Options& options, const QStringList& names)
{
    const auto given =
        std::find_if(names.begin(), names.end(), [&options](const QString& name) { return options.has(name); });
    return given == names.end() ? QString() : *given;
}

// A template's labels: from the inputs' contents, or one by hand. Returns
// what is wrong, or nothing.
QString readTemplateJob(const Options& options, const QString& kindOption, BatchRequest& request)
{
    request.contents = options.has(QStringLiteral("contents"));
    const bool byHand = options.has(QStringLiteral("name"));
    if (request.contents && byHand)
        return QStringLiteral("--contents and --name cannot be used together");
    if (options.has(QStringLiteral("line")) && !byHand)
        return QStringLiteral("--line needs --name");
    if (request.contents && request.inputs.isEmpty() && !request.inputsFrom)
        return QStringLiteral("--contents needs the folders or disk images to label");
    if (byHand && !request.inputs.isEmpty())
        return QStringLiteral("--name fills one label by hand and takes no inputs, not '%1'")
            .arg(platform::displayName(request.inputs.first()));
    if (byHand && request.inputsFrom)
        return QStringLiteral("--name fills one label by hand and takes no inputs, not --inputs-from");
    if (!request.contents && !byHand)
        return QStringLiteral("%1 needs --contents with folders or disk images, or --name").arg(kindOption);
    request.name = options.text(QStringLiteral("name"));
    request.lines = options.texts(QStringLiteral("line"));
    if (const int room = labelKind(request.labels).design->fieldCount(); request.lines.size() > room)
        return QStringLiteral("%1 has room for %2 lines, not %3").arg(kindOption).arg(room).arg(request.lines.size());
    return {};
}

// Where the labels go and on what. Returns what is wrong, or nothing.
QString readOutput(const Options& options, BatchRequest& request)
{
    if (options.has(QStringLiteral("pdf")) && options.has(QStringLiteral("printer")))
        return QStringLiteral("--pdf and --printer cannot be used together");
    if (options.has(QStringLiteral("pdf")))
        request.pdf = options.bytes(QStringLiteral("pdf"));
    request.printer = options.text(QStringLiteral("printer"));
    request.stock = options.text(QStringLiteral("stock"));
    if (options.has(QStringLiteral("start-cell"))) {
        const std::optional<int> cell = wholeNumber(options.value(QStringLiteral("start-cell")), 1, INT_MAX);
        if (!cell)
            return QStringLiteral("--start-cell takes a label's number, from 1, not '%1'")
                .arg(options.text(QStringLiteral("start-cell")));
        request.startCell = *cell;
    }
    if (options.has(QStringLiteral("copies"))) {
        const std::optional<int> copies = wholeNumber(options.value(QStringLiteral("copies")), 1, stock::kMaxCopies);
        if (!copies)
            return QStringLiteral("--copies takes a number from 1 to %1, not '%2'")
                .arg(stock::kMaxCopies)
                .arg(options.text(QStringLiteral("copies")));
        request.copies = *copies;
    }
    if (options.has(QStringLiteral("fit"))) {
        const QString fit = options.value(QStringLiteral("fit"));
        if (fit == QLatin1String("actual"))
            request.fit = stock::Fit::ActualSize;
        else if (fit == QLatin1String("shrink"))
            request.fit = stock::Fit::ShrinkToFit;
        else
            return QStringLiteral("--fit takes actual or shrink, not '%1'").arg(options.text(QStringLiteral("fit")));
    }
    request.outline = options.has(QStringLiteral("outline"));
    if (options.has(QStringLiteral("layout"))) {
        const QString layout = options.value(QStringLiteral("layout"));
        if (layout == QLatin1String("disc-face"))
            request.discFace = true;
        else if (layout == QLatin1String("sleeve"))
            request.discFace = false;
        else
            return QStringLiteral("--layout takes disc-face or sleeve, not '%1'")
                .arg(options.text(QStringLiteral("layout")));
    }
    if (options.has(QStringLiteral("disc-face"))) {
        if (request.discFace == false)
            return QStringLiteral("--disc-face and --layout sleeve cannot be used together");
        request.discFace = true;
    }
    if (request.discFace.has_value() && !labelKind(request.labels).discFace)
        return QStringLiteral("%1 is for %2, whose labels have a disc face")
            .arg(options.has(QStringLiteral("disc-face")) ? QStringLiteral("--disc-face") : QStringLiteral("--layout"),
                 discFaceKinds());
    if (request.discFace == false && request.stock.isEmpty())
        return QStringLiteral("--layout sleeve is for round label stock: name the product with --stock");
    if (const QString option = firstGiven(options, stockOptions()); !option.isEmpty() && request.stock.isEmpty())
        return QStringLiteral("%1 is for label stock: name the product with --stock").arg(dashed(option));
    return {};
}

}  // namespace

CommandLine CommandLine::parse(const QList<QByteArray>& arguments)
{
    QCommandLineParser parser;
    // -platform and -display are written with one dash, as every Qt program
    // takes them.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionDefinition& definition : optionDefinitions())
        parser.addOption(QCommandLineOption(definition.names, definition.description, definition.valueName));
    QStringList texts{QStringLiteral("tessera")};
    for (const QByteArray& argument : arguments)
        texts.append(argumentText(argument));
    const bool parsed = parser.parse(texts);
    const Options options(parser);

    // Asked for help, the program gives it, whatever else is wrong.
    if (options.has(QStringLiteral("help")))
        return answer(Action::Help);
    if (options.has(QStringLiteral("version")))
        return answer(Action::Version);
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError(QStringLiteral("unknown option '%1'").arg(typedOption(arguments, unknown.first())));
        // "Missing value after '--pdf'." and the like.
        QString why = parser.errorText();
        if (why.endsWith(QLatin1Char('.')))
            why.chop(1);
        return usageError(why.left(1).toLower() + why.mid(1));
    }

    CommandLine line;
    for (const OptionDefinition& definition : optionDefinitions()) {
        const QString& name = definition.names.last();
        if (definition.valueName.isEmpty() || !options.has(name))
            continue;
        if (definition.qt) {
            // Qt takes the last one.
            if (!options.value(name).isEmpty())
                line.qtOptions << "-" + name.toLatin1() << options.bytes(name);
        } else if (name != QLatin1String("line") && parser.values(name).size() > 1) {
            return usageError(QStringLiteral("%1 is given more than once").arg(dashed(name)));
        } else if (name != QLatin1String("line") && name != QLatin1String("name") && options.value(name).isEmpty()) {
            return usageError(QStringLiteral("%1 needs a value").arg(dashed(name)));
        }
    }
    QList<QByteArray> inputs;
    for (const QString& positional : parser.positionalArguments())
        inputs.append(argumentBytes(positional));

    QStringList kinds;
    BatchRequest& request = line.batch;
    for (const LabelKindRow* kind : kindRows()) {
        if (options.has(kind->option)) {
            kinds << dashed(kind->option);
            request.labels = kind->kind;
        }
    }
    if (kinds.size() > 1)
        return usageError(
            QStringLiteral("one kind of label at a time, not %1").arg(kinds.join(QStringLiteral(" and "))));

    // A collected sheet, printed without a window.
    if (options.has(QStringLiteral("print-collected"))) {
        if (!kinds.isEmpty())
            return usageError(
                QStringLiteral("--print-collected prints the labels collected before, not %1").arg(kinds.first()));
        for (const QString& name :
             templateOptions() + QStringList{QStringLiteral("inputs-from"), QStringLiteral("copies"),
                                             QStringLiteral("start-cell"), QStringLiteral("collect")}) {
            if (options.has(name))
                return usageError(QStringLiteral("--print-collected prints the labels collected before, "
                                                 "without %1")
                                      .arg(dashed(name)));
        }
        if (!inputs.isEmpty())
            return usageError(QStringLiteral("--print-collected takes no inputs, not '%1'")
                                  .arg(platform::displayName(inputs.first())));
        if (const QString problem = readOutput(options, request); !problem.isEmpty())
            return usageError(problem);
        if (request.stock.isEmpty())
            return usageError(QStringLiteral("--print-collected needs the product with --stock"));
        request.printCollected = true;
        line.action = Action::Batch;
        return line;
    }

    // The program with its windows, perhaps with a label file.
    if (kinds.isEmpty()) {
        if (const QString option = firstGiven(options, templateOptions()); !option.isEmpty())
            return usageError(QStringLiteral("%1 needs a kind of label: %2")
                                  .arg(dashed(option), templateKindList(QStringLiteral(" or "))));
        if (const QString option = firstGiven(options, batchOptions()); !option.isEmpty())
            return usageError(
                QStringLiteral("%1 needs a kind of label (%2) or --%3")
                    .arg(dashed(option), templateKindList(QStringLiteral(", ")), labelKind(LabelKind::Custom).option));
        if (inputs.size() > 1)
            return usageError(QStringLiteral("one label file at a time, not %1").arg(inputs.size()));
        if (!inputs.isEmpty())
            line.file = inputs.first();
        return line;
    }

    // Labels without a window.
    request.inputs = inputs;
    if (options.has(QStringLiteral("inputs-from")))
        request.inputsFrom = options.bytes(QStringLiteral("inputs-from"));
    request.nullSeparated = options.has(QStringLiteral("null"));
    QString problem;
    if (request.nullSeparated && !request.inputsFrom)
        return usageError(QStringLiteral("--null is for the names that --inputs-from FILE reads"));
    if (labelKind(request.labels).design) {
        problem = readTemplateJob(options, kinds.first(), request);
    } else if (const QString option = firstGiven(options, templateOptions()); !option.isEmpty()) {
        problem = QStringLiteral("%1 is for the disk labels, not for %2").arg(dashed(option), kinds.first());
    } else if (inputs.isEmpty() && !request.inputsFrom) {
        problem = QStringLiteral("%1 needs the label files to print").arg(kinds.first());
    }
    if (problem.isEmpty())
        problem = readOutput(options, request);
    request.collect = options.has(QStringLiteral("collect"));
    if (problem.isEmpty() && request.collect && request.stock.isEmpty())
        problem = QStringLiteral("--collect is for label stock: name the product with --stock");
    if (problem.isEmpty() && request.collect && (request.pdf || options.has(QStringLiteral("printer"))))
        problem = QStringLiteral("--collect prints nothing: print the sheet later with --print-collected");
    if (!problem.isEmpty())
        return usageError(problem);
    line.action = Action::Batch;
    return line;
}

QString CommandLine::usage()
{
    QString text = QStringLiteral(
        "Usage: tessera [FILE.lab]\n"
        "       tessera KIND --contents [OPTIONS] FOLDER|IMAGE...\n"
        "       tessera KIND --contents [OPTIONS] --inputs-from FILE [--null]\n"
        "       tessera KIND --name TEXT [--line TEXT]... [OPTIONS]\n"
        "       tessera --card [OPTIONS] FILE.lab...\n"
        "Designs and prints labels for floppy disks, Zip disks and CDs, and free-form\n"
        "cards. With a label file, opens the card designer and loads it. With a KIND\n"
        "of label (--floppy, --zip-label, --zip-sleeve or --cd) or --card, makes the\n"
        "labels without a window: printed, or written to one PDF file.\n"
        "\n");
    for (const OptionDefinition& definition : optionDefinitions()) {
        QStringList names;
        for (const QString& name : definition.names)
            names << (name.size() == 1 || definition.qt ? QStringLiteral("-") : QStringLiteral("--")) + name;
        QString left = names.join(QStringLiteral(", "));
        if (!definition.valueName.isEmpty())
            left += QLatin1Char(' ') + definition.valueName;
        text += QStringLiteral("  ") + left.leftJustified(21) + QLatin1Char(' ') + definition.description +
                QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\n"
        "--start-cell, --fit, --outline and --collect go with --stock. With --pdf -,\n"
        "standard output carries the PDF alone and must not be a terminal. 'man\n"
        "tessera' says more, also of the limits and the exit statuses.\n");
    return text;
}

QString CommandLine::version() { return QStringLiteral("Tessera ") + ui::AppInfo::version() + QLatin1Char('\n'); }
