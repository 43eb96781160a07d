#pragma once

#include "platform/MessageBox.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

// The double of a platform service, for tests only: never built into the
// program.
namespace platform {

// Records every box and answers as a test scripted it.
class ScriptedMessageBox final : public MessageBox {
public:
    struct Call {
        QString text;
        int style;
        QString title;
    };
    QList<Call> calls;
    std::deque<int> answers;  // used in order; OK (1) when empty
    // Runs while the box is "open", after the call is recorded.
    std::function<void()> whileOpen;

protected:
    int ask(QWidget* owner, const QString& text, int style, const QString& title) override;
};

}  // namespace platform
