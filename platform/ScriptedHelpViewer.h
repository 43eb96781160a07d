#pragma once

#include "platform/HelpViewer.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

// The double of a platform service, for tests only: never built into the
// program.
namespace platform {

// Records what it is asked to open (tests).
class ScriptedHelpViewer final : public HelpViewer {
public:
    struct Call {
        QWidget* owner;
        QString file;
        int command;
        QString keyword;
    };
    QList<Call> calls;
    std::optional<ui::Error> failWith;

    void open(QWidget* owner, const QString& helpFile, int command, const QString& keyword) override;
};

}  // namespace platform
