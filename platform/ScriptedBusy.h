#pragma once

#include "platform/Busy.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

// The double of a platform service, for tests only: never built into the
// program.
namespace platform {

// Waits for the work as the real wait does, without a dialog (tests).
class ScriptedBusy final : public Busy {
public:
    QStringList texts;  // what each wait said it was doing
    // Asked while the work runs: the user presses Cancel once it says so.
    std::function<bool()> cancelWhen;

protected:
    bool wait(QWidget* owner, const QString& text, Job& job) override;
};

}  // namespace platform
