#pragma once

#include "app/Forms.h"
#include "ui/testing/Scripted.h"

#include <QStringList>
#include <memory>

// The program's forms on scripted platform services, with every registry
// operation logged as "op form" (for example "hide diskop").
class Harness {
public:
    enum class PrinterKind { Scripted, System };
    enum class BusyKind { Scripted, Dialog };
    explicit Harness(PrinterKind printer = PrinterKind::Scripted, BusyKind busy = BusyKind::Scripted);
    ~Harness();

    ui::testing::ScriptedMessageBox* messages = nullptr;
    ui::testing::ScriptedDialogs* dialogs = nullptr;
    ui::testing::ScriptedPrinter* printer = nullptr;  // null with the system printer
    ui::testing::ScriptedHelpViewer* help = nullptr;
    ui::testing::ScriptedPictures* pictures = nullptr;
    ui::testing::ScriptedFileSystem* files = nullptr;
    ui::testing::ScriptedBusy* busy = nullptr;  // null with the real dialog
    std::unique_ptr<ui::Context> context;
    std::unique_ptr<Forms> forms;

    QStringList log;
    int ends = 0;

    // The log so far, cleared.
    QStringList take();
    // Releases the windows that unloads left for later.
    static void flush();
    // The names of the visible forms, in registry order.
    QStringList visible() const;
};

// Settings every test program makes once, as the program does at start-up.
void configureTestApplication();
