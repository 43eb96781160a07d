#pragma once

#include "platform/Busy.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBox.h"
#include "platform/Pictures.h"
#include "platform/Printer.h"
#include "platform/Settings.h"

#include <QString>
#include <memory>

namespace ui {

// The platform services the forms use, injected so that tests can replace
// each one with a scripted double.
class Context {
public:
    struct Services {
        std::unique_ptr<platform::MessageBox> messages;
        std::unique_ptr<platform::Dialogs> dialogs;
        std::unique_ptr<platform::Printer> printer;
        std::unique_ptr<platform::Pictures> pictures;
        std::unique_ptr<platform::HelpViewer> help;
        std::unique_ptr<platform::FileSystem> files;
        std::unique_ptr<platform::Busy> busy;
    };

    // The settings are the user's own file, unless a test names another.
    explicit Context(Services services, std::unique_ptr<platform::Settings> settings = nullptr);
    ~Context();

    // The real services of a desktop run.
    static Services systemServices();

    platform::MessageBox& messages() { return *services_.messages; }
    platform::Dialogs& dialogs() { return *services_.dialogs; }
    platform::Printer& printer() { return *services_.printer; }
    platform::Pictures& pictures() { return *services_.pictures; }
    platform::HelpViewer& help() { return *services_.help; }
    platform::FileSystem& files() { return *services_.files; }
    platform::Busy& busy() { return *services_.busy; }
    platform::Settings& settings() { return *settings_; }

    // The application's help-file setting; empty means no help.
    QString helpFile;

private:
    Services services_;
    std::unique_ptr<platform::Settings> settings_;
};

}  // namespace ui
