#include "ui/Context.h"

#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBox.h"
#include "platform/Pictures.h"
#include "platform/Printer.h"

namespace ui {

Context::Context(Services services, std::unique_ptr<platform::Settings> settings)
    : services_(std::move(services)),
      settings_(settings ? std::move(settings) : std::make_unique<platform::Settings>(platform::Settings::userFile()))
{
}
Context::~Context() = default;

Context::Services Context::systemServices()
{
    Services services;
    services.messages = std::make_unique<platform::QtMessageBox>();
    services.dialogs = std::make_unique<platform::QtDialogs>();
    services.printer = std::make_unique<platform::SystemPrinter>();
    services.pictures = std::make_unique<platform::FilePictures>();
    services.help = std::make_unique<platform::AssistantHelpViewer>();
    services.files = std::make_unique<platform::LocalFileSystem>();
    services.busy = std::make_unique<platform::BusyDialog>();
    return services;
}

}  // namespace ui
