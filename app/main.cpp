#include "app/Forms.h"
#include "app/Startup.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char** argv)
{
    if (const QString problem = displayProblem(); !problem.isEmpty()) {
        std::fprintf(stderr, "tessera: %s\n", problem.toLocal8Bit().constData());
        return 1;
    }
    QApplication app(argc, argv);
    configureApplication(app);
    ui::Context context(ui::Context::systemServices());
    context.helpFile = defaultHelpFile();
    Forms forms(context);
    forms.start();
    return app.exec();
}
