#include "app/Startup.h"

#include "ui/AppInfo.h"
#include "ui/Artwork.h"
#include "ui/Fonts.h"
#include "ui/PaintedItems.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

#include <algorithm>
#include <chrono>
#include <future>
#include <cstring>
#include <thread>

#include <fontconfig/fontconfig.h>
#include <pthread.h>
#include <sched.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// The value given to a command-line option of Qt's, or an empty one.
QByteArray optionValue(const QList<QByteArray>& options, const QByteArray& option)
{
    QByteArray value;
    for (qsizetype i = 0; i + 1 < options.size(); ++i) {
        if (options[i] == option)
            value = options[i + 1];
    }
    return value;
}

// The platforms Qt tries in turn, as Qt 6.4 chooses them: -platform, else
// QT_QPA_PLATFORM, else Wayland first where the session prefers it, then X.
QList<QByteArray> platformsToTry(const QList<QByteArray>& qtOptions)
{
    QByteArray chosen = optionValue(qtOptions, "-platform");
    if (chosen.isEmpty())
        chosen = qgetenv("QT_QPA_PLATFORM");
    if (chosen.isEmpty()) {
        const bool waylandSession =
            qEnvironmentVariableIsSet("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
        chosen = waylandSession ? "wayland;xcb" : "xcb";
    }
    QList<QByteArray> names;
    for (const QByteArray& entry : chosen.split(';'))
        names.append(entry.split(':').first().trimmed().toLower());  // "xcb:option" names xcb
    return names;
}

// Qt skips a platform whose plugin is not installed.
bool waylandPluginInstalled()
{
    QStringList folders = QCoreApplication::libraryPaths();
    for (QString& folder : folders)
        folder += QStringLiteral("/platforms");
    folders += qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return std::any_of(folders.begin(), folders.end(), [](const QString& folder) {
        return !QDir(folder).entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
    });
}

QString xProblem(const QByteArray& display)
{
    if (display.isEmpty())
        return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
                   ? QStringLiteral(
                         "no display to show windows on (DISPLAY and WAYLAND_DISPLAY are not set); "
                         "start it from a desktop session")
                   : QStringLiteral("no X display to show windows on (DISPLAY is not set)");
    // Connecting is the one sure test: a server may listen on a socket in
    // the abstract namespace only, or over TCP, and a socket file may be a
    // leftover of a server that is gone.
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display.constData(), &screen);
    QString problem;
    if (xcb_connection_has_error(connection))
        problem = QStringLiteral("no X server answers on display %1").arg(QString::fromLocal8Bit(display));
    else if (screen < 0 || screen >= xcb_setup_roots_length(xcb_get_setup(connection)))
        problem = QStringLiteral("X display %1 has no screen %2").arg(QString::fromLocal8Bit(display)).arg(screen);
    xcb_disconnect(connection);
    return problem;
}

QString waylandProblem()
{
    if (qEnvironmentVariableIsSet("WAYLAND_SOCKET"))
        return {};  // a connection handed over by whoever started the program
    QByteArray name = qgetenv("WAYLAND_DISPLAY");
    if (name.isEmpty())
        name = "wayland-0";
    QByteArray path = name;
    if (!name.startsWith('/')) {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        if (runtime.isEmpty())
            return QStringLiteral("no Wayland compositor can be found (XDG_RUNTIME_DIR is not set)");
        path = runtime + '/' + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof(address.sun_path))
        return QStringLiteral("no Wayland compositor can be found at %1").arg(QString::fromLocal8Bit(path));
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const bool answers = fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    if (fd >= 0)
        ::close(fd);
    return answers ? QString()
                   : QStringLiteral("no Wayland compositor answers on %1").arg(QString::fromLocal8Bit(name));
}

}  // namespace

QString displayProblem(const QList<QByteArray>& qtOptions)
{
    // Qt aborts when none of the platforms it tries can start; each is tried
    // here as Qt would, so that the user gets one line instead.
    QStringList problems;
    for (const QByteArray& platform : platformsToTry(qtOptions)) {
        QString problem;
        if (platform == "xcb") {
            QByteArray display = optionValue(qtOptions, "-display");
            problem = xProblem(display.isEmpty() ? qgetenv("DISPLAY") : display);
        } else if (platform.startsWith("wayland")) {
            if (!waylandPluginInstalled())
                continue;
            problem = waylandProblem();
        } else {
            return {};  // offscreen, minimal and the rest need no display server
        }
        if (problem.isEmpty())
            return {};
        problems.append(problem);
    }
    if (problems.isEmpty())
        return QStringLiteral("no platform plugin can show windows");
    problems.removeDuplicates();
    return problems.join(QStringLiteral("; "));
}

namespace {

// Start-up's font work, off the main thread, in two steps.
//
// The system's font configuration (a few milliseconds of XML) is read from
// the program's start on a thread that runs only on processor time nothing
// else wants, so that it slows neither the connection to the display that
// the main thread makes meanwhile nor the display server.
//
// Once the application exists, Qt's font database is filled on a second
// thread, which first gives the first a little time to finish; on a machine
// too busy for that, fontconfig reads the configuration for it as well and
// keeps one of the two. The first window's first text waits on Qt's own
// lock for what is left. The second thread is joined before the application
// tears its fonts down.
struct FontLoading {
    std::thread configuration;
    std::promise<void> configurationRead;
    std::shared_future<void> configured = configurationRead.get_future().share();
    std::thread database;

    bool isConfigured(std::chrono::milliseconds wait = {}) const
    {
        return configured.valid() && configured.wait_for(wait) == std::future_status::ready;
    }

    ~FontLoading()
    {
        // Joined with the application, unless it ended without tearing down.
        if (database.joinable())
            database.join();
        // A thread still reading the configuration on a busy machine is
        // left to the end of the process, which it does not hold up.
        if (configuration.joinable()) {
            if (isConfigured())
                configuration.join();
            else
                configuration.detach();
        }
    }
};

FontLoading& fontLoading()
{
    static FontLoading loading;
    return loading;
}

void joinFontDatabaseThread()
{
    if (fontLoading().database.joinable())
        fontLoading().database.join();
}

}  // namespace

void startLoadingFonts()
{
    FontLoading& loading = fontLoading();
    if (loading.configuration.joinable())
        return;
    loading.configuration = std::thread([&loading] {
        // Where the system refuses, the thread competes as any other.
        sched_param lowest{};
        pthread_setschedparam(pthread_self(), SCHED_IDLE, &lowest);
        (void)FcInit();
        loading.configurationRead.set_value();
    });
}

void configureApplication(QApplication& app)
{
    Q_INIT_RESOURCE(resources);
    QApplication::setOrganizationName(QStringLiteral("Tessera"));
    QApplication::setApplicationName(QStringLiteral("Tessera"));
    // No display name: Qt would append it to every native window title.
    QApplication::setApplicationVersion(ui::AppInfo::version());
    // The launcher's name: the Wayland app id, by which docks and task bars
    // link the windows to it (on X11 the window class "Tessera" does that).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessera.Tessera"));
    QApplication::setQuitOnLastWindowClosed(false);
    // Before the font database: Qt reads the substitutes without a lock.
    ui::installFontSubstitutes();
    if (!fontLoading().database.joinable()) {
        fontLoading().database = std::thread([] {
            if (fontLoading().configuration.joinable())
                (void)fontLoading().isConfigured(std::chrono::milliseconds(25));
            (void)QFontDatabase::families();
        });
        qAddPostRoutine(joinFontDatabaseThread);
    }
    QApplication::setWindowIcon(ui::programIcon());
    ui::installPaintedItemsAccessibility();
    app.setFont(ui::defaultFont());
}

QString defaultHelpFile()
{
    // Beside the program in a build; under share/tessera once installed.
    const QString dir = QApplication::applicationDirPath();
    const QString built = dir + QStringLiteral("/help/TESSERA16.qhc");
    const QString installed = dir + QStringLiteral("/../share/tessera/help/TESSERA16.qhc");
    if (!QFileInfo::exists(built) && QFileInfo::exists(installed))
        return QFileInfo(installed).canonicalFilePath();
    return built;
}
