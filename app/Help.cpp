#include "app/Help.h"

#include "app/Forms.h"
#include "platform/HelpViewer.h"
#include "platform/MessageBox.h"
#include "ui/Error.h"

void showHelp(Forms& forms, ui::Form& owner, const QString& title)
{
    ui::Context& context = forms.context;
    if (context.helpFile.isEmpty()) {
        context.messages().show(owner.window(), kNoHelpText, platform::MessageBox::Information, title);
        return;
    }
    try {
        context.help().open(owner.window(), context.helpFile, platform::HelpViewer::PartialKey, QString());
    } catch (const ui::Error& error) {
        context.messages().show(owner.window(), error.description, platform::MessageBox::OkOnly);
    }
}
