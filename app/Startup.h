#pragma once

#include <QString>
#include <QStringList>

class QApplication;

// Why no window could be shown, or empty when a display is there: each
// platform Qt would try is asked by connecting to its display server.
// `arguments` are the program's, for Qt's -platform and -display options.
QString displayProblem(const QStringList& arguments);

// Application-wide settings made once before the first form: names, icon,
// font substitutes and the default font.
void configureApplication(QApplication& app);

// The help collection built beside the program.
QString defaultHelpFile();
