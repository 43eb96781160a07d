#include "app/CommandLine.h"
#include "app/Forms.h"
#include "app/Startup.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine command = CommandLine::parse(arguments);
    switch (command.action) {
    case CommandLine::Action::Help: std::fputs(CommandLine::usage().toLocal8Bit().constData(), stdout); return 0;
    case CommandLine::Action::Version: std::fputs(CommandLine::version().toLocal8Bit().constData(), stdout); return 0;
    case CommandLine::Action::Error: std::fprintf(stderr, "%s\n", command.error.toLocal8Bit().constData()); return 2;
    case CommandLine::Action::Run: break;
    }

    if (const QString problem = displayProblem(arguments); !problem.isEmpty()) {
        std::fprintf(stderr, "tessera: %s\n", problem.toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    configureApplication(app);
    ui::Context context(ui::Context::systemServices());
    context.helpFile = defaultHelpFile();
    Forms forms(context);
    forms.start();
    if (!command.file.isEmpty())
        QTimer::singleShot(0, &app, [&forms, file = command.file] { forms.openLabelFile(QFile::encodeName(file)); });
    return app.exec();
}
