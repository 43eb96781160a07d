#include "app/Startup.h"

#include "ui/AppInfo.h"
#include "ui/Fonts.h"
#include "ui/PaintedItems.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QRegularExpression>

QString displayProblem()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return {};
    const QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty() && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral(
            "no display to show windows on (DISPLAY and WAYLAND_DISPLAY are not set); "
            "start it from a desktop session");
    // A local X display ":N" that has no server would make Qt abort.
    static const QRegularExpression local(QStringLiteral("^(unix)?:(\\d+)(\\.\\d+)?$"));
    const QRegularExpressionMatch match = local.match(display);
    if (match.hasMatch() && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X") + match.captured(2)))
        return QStringLiteral("no X server answers on display %1").arg(display);
    return {};
}

void configureApplication(QApplication& app)
{
    Q_INIT_RESOURCE(resources);
    QApplication::setApplicationName(QStringLiteral("Tessera"));
    // No display name: Qt would append it to every native window title.
    QApplication::setApplicationVersion(ui::AppInfo::version());
    // The launcher's name: the Wayland app id, by which docks and task bars
    // link the windows to it (on X11 the window class "Tessera" does that).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tessera.Tessera"));
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/tessera.png"));
    icon.addFile(QStringLiteral(":/images/tessera-64.png"));
    QApplication::setWindowIcon(icon);
    ui::installFontSubstitutes();
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
