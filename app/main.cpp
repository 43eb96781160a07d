#include "batch/BatchRun.h"
#include "app/CommandLine.h"
#include "app/Forms.h"
#include "app/Startup.h"
#include "ui/Context.h"

#include <QApplication>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Writes `text` on standard output and says whether it got there: a full
// disk or a closed pipe is an error on stderr and exit status 1, as GNU
// tools report it, never a silent success.
int answer(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fprintf(stderr, "tessera: write error: %s\n", std::strerror(errno));
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(argv[i]);
    const CommandLine command = CommandLine::parse(arguments);
    switch (command.action) {
    case CommandLine::Action::Help: return answer(CommandLine::usage());
    case CommandLine::Action::Version: return answer(CommandLine::version());
    case CommandLine::Action::UsageError:
        std::fprintf(stderr, "%s\n", command.error.toLocal8Bit().constData());
        return 2;
    case CommandLine::Action::Batch: {
        // Before the application exists: it is built on the offscreen
        // platform, whatever display there is or is not.
        prepareBatchRun();
        int qtArgc = 1;
        char* qtArgv[] = {argv[0], nullptr};
        QApplication app(qtArgc, qtArgv);
        configureApplication(app);
        ui::Context context(ui::Context::systemServices());
        return runBatch(command.batch, context, stderr);
    }
    case CommandLine::Action::Run: break;
    }

    startLoadingFonts();
    if (const QString problem = displayProblem(command.qtOptions); !problem.isEmpty()) {
        std::fprintf(stderr, "tessera: %s\n", problem.toLocal8Bit().constData());
        return 1;
    }
    // Qt gets its own options alone: an input named like one of them is no
    // option to Qt.
    QList<QByteArray> qtArguments = QList<QByteArray>{argv[0]} + command.qtOptions;
    std::vector<char*> qtArgv;
    for (QByteArray& argument : qtArguments)
        qtArgv.push_back(argument.data());
    qtArgv.push_back(nullptr);
    int qtArgc = int(qtArguments.size());
    QApplication app(qtArgc, qtArgv.data());
    configureApplication(app);
    ui::Context context(ui::Context::systemServices());
    context.helpFile = defaultHelpFile();
    Forms forms(context);
    forms.start();
    if (command.file)
        QTimer::singleShot(0, &app, [&forms, file = *command.file] { forms.openLabelFile(file); });
    return app.exec();
}
