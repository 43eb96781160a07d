// Process start to the main menu painted, against a bare Qt Widgets program
// showing one empty window. Both run as child processes of this driver,
// which times each from its start to the child's "painted" line. For
// reference it also times the bare window with one line of text in it: what
// loading fonts alone costs any window that shows text.

#include "BenchUtil.h"

#include "app/Forms.h"
#include "app/Startup.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QProcess>
#include <QWidget>

#include <cstring>

namespace {

// Says "painted" once its window has been painted, then ends the run.
class PaintWatch final : public QObject {
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !done_) {
            done_ = true;
            std::printf("painted\n");
            std::fflush(stdout);
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(object, event);
    }

private:
    bool done_ = false;
};

int bare(int argc, char** argv, bool withText)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(169, 402);
    if (withText)
        (new QLabel(QStringLiteral("Select a type of label to create."), &window))->move(8, 128);
    PaintWatch watch;
    window.installEventFilter(&watch);
    window.show();
    return app.exec();
}

// As the program starts its windows.
int menu(int argc, char** argv)
{
    startLoadingFonts();
    QApplication app(argc, argv);
    configureApplication(app);
    ui::Context context(ui::Context::systemServices());
    context.helpFile = defaultHelpFile();
    Forms forms(context);
    PaintWatch watch;
    forms.Tessera.window()->installEventFilter(&watch);
    forms.start();
    return app.exec();
}

double runChild(const char* program, const char* role)
{
    QProcess child;
    QElapsedTimer timer;
    timer.start();
    child.start(QString::fromLocal8Bit(program), {QString::fromLatin1(role)});
    while (!child.canReadLine() && child.waitForReadyRead(10000)) {
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    child.waitForFinished(10000);
    return ms;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "bare") == 0)
        return bare(argc, argv, false);
    if (argc > 1 && std::strcmp(argv[1], "text") == 0)
        return bare(argc, argv, true);
    if (argc > 1 && std::strcmp(argv[1], "menu") == 0)
        return menu(argc, argv);
    QCoreApplication app(argc, argv);
    const auto result = bench::alternate(
        41, [&] { return runChild(argv[0], "bare"); }, [&] { return runChild(argv[0], "menu"); });
    bench::report("startup", result, 1.2);
    const auto text = bench::alternate(
        41, [&] { return runChild(argv[0], "bare"); }, [&] { return runChild(argv[0], "text"); });
    std::printf("startup: for reference, the bare window with one line of text: ratio %.2f\n", text.ratio());
    return 0;
}
