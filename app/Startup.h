#pragma once

#include <QString>

class QApplication;

// Why no window could be shown, or empty when a display is there.
QString displayProblem();

// Application-wide settings made once before the first form: names, icon,
// font substitutes and the default font.
void configureApplication(QApplication& app);

// The help collection built beside the program.
QString defaultHelpFile();
