#pragma once

#include "app/Forms.h"
#include "platform/ScriptedBusy.h"
#include "platform/ScriptedDialogs.h"
#include "platform/ScriptedFileSystem.h"
#include "platform/ScriptedHelpViewer.h"
#include "platform/ScriptedMessageBox.h"
#include "platform/ScriptedPictures.h"
#include "platform/ScriptedPrinter.h"

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

    platform::ScriptedMessageBox* messages = nullptr;
    platform::ScriptedDialogs* dialogs = nullptr;
    platform::ScriptedPrinter* printer = nullptr;  // null with the system printer
    platform::ScriptedHelpViewer* help = nullptr;
    platform::ScriptedPictures* pictures = nullptr;
    platform::ScriptedFileSystem* files = nullptr;
    platform::ScriptedBusy* busy = nullptr;  // null with the real dialog
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
