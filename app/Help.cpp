#include "app/Help.h"

#include "app/Forms.h"
#include "ui/Error.h"
#include "ui/HelpViewer.h"
#include "ui/MessageBox.h"

void showHelp(Forms& forms, ui::Form& owner, const QString& title)
{
    ui::Context& context = forms.context;
    if (context.helpFile.isEmpty()) {
        context.messages().show(owner.window(), kNoHelpText, ui::MessageBox::Information, title);
        return;
    }
    try {
        context.help().open(owner.window(), context.helpFile, ui::HelpViewer::PartialKey, QString());
    } catch (const ui::Error& error) {
        context.messages().show(owner.window(), error.description, ui::MessageBox::OkOnly);
    }
}
