#include "platform/ScriptedMessageBox.h"

namespace platform {

int ScriptedMessageBox::ask(QWidget*, const QString& text, int style, const QString& title)
{
    calls.append({text, style, title});
    if (whileOpen)
        whileOpen();
    if (answers.empty())
        return Ok;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

}  // namespace platform
