#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

// The double of a platform service, for tests only: never built into the
// program.
namespace platform {

// Dialogs that answer as a test scripted them.
class ScriptedDialogs final : public Dialogs {
public:
    std::deque<std::optional<QString>> openAnswers, saveAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;
    // Each answer may set the printer up (for instance to write a PDF file);
    // it returns whether the user confirmed.
    std::deque<std::function<bool(Printer&)>> printAnswers;
    // The label stock each confirmed print setup chooses, while there are
    // any; plain paper after them.
    std::deque<stock::Choice> stockAnswers;
    QList<StockSetup> stockSetups;  // what each print setup was told
    int printSetups = 0;
    QList<int> fontFlags;
    QList<QString> filters;

    std::optional<QString> openFile(QWidget* owner, const QString& filter, const QString& initial) override;
    std::optional<QString> saveFile(QWidget* owner, const QString& filter, const QString& initial) override;
    std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial, int flags) override;
    bool printSetup(QWidget* owner, Printer& printer, StockSetup* stock = nullptr) override;

    static std::function<bool(Printer&)> confirm()
    {
        return [](Printer&) { return true; };
    }
    static std::function<bool(Printer&)> cancel()
    {
        return [](Printer&) { return false; };
    }
    // The user picks a printer queue, or printing to a PDF file.
    static std::function<bool(Printer&)> chooseQueue(const QString& queue);
    static std::function<bool(Printer&)> chooseFile(const QString& path);
};

}  // namespace platform
