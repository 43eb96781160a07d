#include "app/CommandLine.h"

#include "ui/AppInfo.h"

CommandLine CommandLine::parse(const QStringList& arguments)
{
    CommandLine line;
    bool options = true;
    QStringList files;
    // Qt's own options that choose where windows are shown are passed on to
    // Qt with their values.
    static const QStringList qtOptions = {QStringLiteral("-platform"), QStringLiteral("--platform"),
                                          QStringLiteral("-display"), QStringLiteral("--display")};
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (options && qtOptions.contains(argument)) {
            if (++i == arguments.size())
                return {Action::Error, {}, QStringLiteral("tessera: option '%1' needs a value").arg(argument)};
        } else if (options && argument == QLatin1String("--")) {
            options = false;
        } else if (options && (argument == QLatin1String("-h") || argument == QLatin1String("--help"))) {
            return {Action::Help, {}, {}};
        } else if (options && (argument == QLatin1String("-v") || argument == QLatin1String("--version"))) {
            return {Action::Version, {}, {}};
        } else if (options && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            return {
                Action::Error, {}, QStringLiteral("tessera: unknown option '%1' (try 'tessera --help')").arg(argument)};
        } else {
            files.append(argument);
        }
    }
    if (files.size() > 1)
        return {Action::Error, {}, QStringLiteral("tessera: one label file at a time, not %1").arg(files.size())};
    line.file = files.value(0);
    return line;
}

QString CommandLine::usage()
{
    return QStringLiteral(
        "Usage: tessera [FILE.lab]\n"
        "Designs and prints labels for floppy disks, Zip disks and CDs, and free-form cards.\n"
        "With a label file, opens the card designer and loads it.\n"
        "\n"
        "  -h, --help       show this text and exit\n"
        "  -v, --version    show the version and exit\n"
        "  -platform NAME   the Qt platform to show windows with (xcb, wayland, ...)\n"
        "  -display NAME    the X display to show windows on\n");
}

QString CommandLine::version() { return QStringLiteral("Tessera ") + ui::AppInfo::version() + QLatin1Char('\n'); }
