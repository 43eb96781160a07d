#include "ui/Context.h"

#include "ui/Dialogs.h"
#include "ui/FileSystem.h"
#include "ui/HelpViewer.h"
#include "ui/MessageBox.h"
#include "ui/Pictures.h"
#include "ui/Printer.h"

namespace ui {

Context::Context(Services services) : services_(std::move(services)) {}
Context::~Context() = default;

Context::Services Context::systemServices()
{
    Services services;
    services.messages = std::make_unique<QtMessageBox>();
    services.dialogs = std::make_unique<QtDialogs>();
    services.printer = std::make_unique<SystemPrinter>();
    services.pictures = std::make_unique<FilePictures>();
    services.help = std::make_unique<AssistantHelpViewer>();
    services.files = std::make_unique<LocalFileSystem>();
    services.busy = std::make_unique<BusyDialog>();
    return services;
}

}  // namespace ui
