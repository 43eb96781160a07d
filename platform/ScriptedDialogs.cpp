#include "platform/ScriptedDialogs.h"

#include "platform/ScriptedPrinter.h"

#include <QPrinter>

namespace platform {

namespace {
template <typename T>
T next(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
}  // namespace

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const QString& filter, const QString&)
{
    filters.append(filter);
    return next(openAnswers, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget*, const QString& filter, const QString&)
{
    filters.append(filter);
    return next(saveAnswers, std::optional<QString>());
}

std::optional<FontChoice> ScriptedDialogs::chooseFont(QWidget*, const FontChoice&, int flags)
{
    fontFlags.append(flags);
    return next(fontAnswers, std::optional<FontChoice>());
}

bool ScriptedDialogs::printSetup(QWidget*, Printer& printer, StockSetup* stock)
{
    ++printSetups;
    auto answer = next(printAnswers, cancel());
    if (stock)
        stockSetups.append(*stock);
    if (!answer(printer))
        return false;
    if (stock)
        stock->choice = next(stockAnswers, stock::Choice());
    return true;
}

std::function<bool(Printer&)> ScriptedDialogs::chooseQueue(const QString& queue)
{
    return [queue](Printer& printer) {
        printer.device().setOutputFormat(QPrinter::NativeFormat);
        printer.device().setPrinterName(queue);
        // The double has no queues of the system's to choose from.
        if (auto* scripted = dynamic_cast<ScriptedPrinter*>(&printer))
            scripted->choose(queue.toLocal8Bit());
        return true;
    };
}

std::function<bool(Printer&)> ScriptedDialogs::chooseFile(const QString& path)
{
    return [path](Printer& printer) {
        printer.device().setOutputFormat(QPrinter::PdfFormat);
        printer.device().setOutputFileName(path);
        return true;
    };
}

}  // namespace platform
