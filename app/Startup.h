#pragma once

#include <QString>
#include <QByteArray>
#include <QList>

class QApplication;

// Why no window could be shown, or empty when a display is there: each
// platform Qt would try is asked by connecting to its display server.
// `qtOptions` are Qt's -platform and -display options with their values.
QString displayProblem(const QList<QByteArray>& qtOptions);

// Starts reading the system's font configuration on a thread of its own,
// on processor time nothing else wants, while the application is made and
// connects to its display, instead of when the first text is laid out.
void startLoadingFonts();

// Application-wide settings made once before the first form: names, icon,
// font substitutes and the default font. Qt's font database starts filling
// on a thread of its own, joined when the application ends.
void configureApplication(QApplication& app);

// The help collection built beside the program.
QString defaultHelpFile();
