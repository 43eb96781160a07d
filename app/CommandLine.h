#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for: a normal start, perhaps with a label file
// to open (what a file manager passes), help, the version, or a mistake.
struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString file;   // with Run: the label file to open, if any
    QString error;  // with Error: one line for the user

    // `arguments` without the program's name.
    static CommandLine parse(const QStringList& arguments);
    static QString usage();
    static QString version();
};
