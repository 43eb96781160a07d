#pragma once

#include <QString>

class Forms;
namespace ui {
class Form;
}

// Opens the application's help at its keyword index, owned by `owner`.
// Without a help file, says so in a box titled `title`.
void showHelp(Forms& forms, ui::Form& owner, const QString& title);

inline const QString kNoHelpText =
    QStringLiteral("Unable to display Help Contents. There is no Help associated with this project.");
