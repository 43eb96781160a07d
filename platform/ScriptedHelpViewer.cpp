#include "platform/ScriptedHelpViewer.h"

namespace platform {

void ScriptedHelpViewer::open(QWidget* owner, const QString& helpFile, int command, const QString& keyword)
{
    calls.append({owner, helpFile, command, keyword});
    if (failWith)
        throw *failWith;
}

}  // namespace platform
