#pragma once

#include "batch/BatchRequest.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the command line asks for: a normal start, perhaps with a label file
// to open (what a file manager passes), help, the version, labels made
// without a window, or a mistake.
struct CommandLine {
    enum class Action { Run, Help, Version, Batch, UsageError };
    Action action = Action::Run;
    std::optional<QByteArray> file;  // with Run: the label file to open, as given
    BatchRequest batch;              // with Batch
    QString error;                   // with UsageError: one line for the user
    // Qt's own options as given ("-platform", NAME, "-display", NAME), for
    // Qt and for the display check.
    QList<QByteArray> qtOptions;

    // `arguments`: the program's, without its name, as the bytes of argv.
    // Needs no application object.
    static CommandLine parse(const QList<QByteArray>& arguments);
    static QString usage();
    static QString version();
};
