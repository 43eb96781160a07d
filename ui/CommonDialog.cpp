#include "ui/CommonDialog.h"

#include "ui/Context.h"
#include "ui/Error.h"

#include <QStringList>

namespace ui {

CommonDialog::CommonDialog(Context& context, std::function<QWidget*()> owner)
    : context_(context), owner_(std::move(owner))
{
}

QString CommonDialog::qtFilter(const QString& classic)
{
    const QStringList parts = classic.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString text = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        const QString shown = QStringLiteral("(%1)").arg(pattern);
        // "Jpeg Files(*.jpg)" already shows its pattern; Qt reads the last
        // parenthesised group as the patterns.
        filters << (text.endsWith(shown) ? text : text + QLatin1Char(' ') + shown);
    }
    return filters.join(QStringLiteral(";;"));
}

bool CommonDialog::cancelled()
{
    if (CancelError)
        throw Error::of(Error::CancelSelected);
    return false;
}

bool CommonDialog::ShowOpen()
{
    const auto chosen = context_.dialogs().openFile(owner_(), qtFilter(Filter), FileName);
    if (!chosen)
        return cancelled();
    FileName = *chosen;
    return true;
}

bool CommonDialog::ShowSave()
{
    const auto chosen = context_.dialogs().saveFile(owner_(), qtFilter(Filter), FileName);
    if (!chosen)
        return cancelled();
    FileName = *chosen;
    return true;
}

bool CommonDialog::ShowFont()
{
    const auto chosen = context_.dialogs().chooseFont(owner_(), Font, Flags);
    if (!chosen)
        return cancelled();
    Font = *chosen;
    return true;
}

bool CommonDialog::ShowPrinter(platform::StockSetup* stock)
{
    if (!context_.dialogs().printSetup(owner_(), context_.printer(), stock))
        return cancelled();
    return true;
}

}  // namespace ui
