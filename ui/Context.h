#pragma once

#include "ui/Busy.h"
#include "ui/Dialogs.h"
#include "ui/FileSystem.h"
#include "ui/HelpViewer.h"
#include "ui/MessageBox.h"
#include "ui/Pictures.h"
#include "ui/Printer.h"

#include <QString>
#include <memory>

namespace ui {

// The platform services the forms use, injected so that tests can replace
// each one with a scripted double.
class Context {
public:
    struct Services {
        std::unique_ptr<MessageBox> messages;
        std::unique_ptr<Dialogs> dialogs;
        std::unique_ptr<Printer> printer;
        std::unique_ptr<Pictures> pictures;
        std::unique_ptr<HelpViewer> help;
        std::unique_ptr<FileSystem> files;
        std::unique_ptr<Busy> busy;
    };

    explicit Context(Services services);
    ~Context();

    // The real services of a desktop run.
    static Services systemServices();

    MessageBox& messages() { return *services_.messages; }
    Dialogs& dialogs() { return *services_.dialogs; }
    Printer& printer() { return *services_.printer; }
    Pictures& pictures() { return *services_.pictures; }
    HelpViewer& help() { return *services_.help; }
    FileSystem& files() { return *services_.files; }
    Busy& busy() { return *services_.busy; }

    // The application's help-file setting; empty means no help.
    QString helpFile;

private:
    Services services_;
};

}  // namespace ui
