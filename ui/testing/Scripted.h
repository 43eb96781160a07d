#pragma once

// Scripted doubles of the platform services, for tests and benchmarks.

#include "ui/Busy.h"
#include "ui/Dialogs.h"
#include "ui/Error.h"
#include "ui/FileSystem.h"
#include "ui/HelpViewer.h"
#include "ui/MessageBox.h"
#include "ui/Pictures.h"
#include "ui/Printer.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class QPrinter;

namespace ui::testing {

class ScriptedMessageBox final : public MessageBox {
public:
    struct Call {
        QString text;
        int style;
        QString title;
    };
    QList<Call> calls;
    std::deque<int> answers;  // used in order; OK (1) when empty
    // Runs while the box is "open", after the call is recorded.
    std::function<void()> whileOpen;

protected:
    int ask(QWidget* owner, const QString& text, int style, const QString& title) override;
};

class ScriptedDialogs final : public Dialogs {
public:
    std::deque<std::optional<QString>> openAnswers, saveAnswers;
    std::deque<std::optional<FontChoice>> fontAnswers;
    // Each answer may set the printer up (for instance to write a PDF file);
    // it returns whether the user confirmed.
    std::deque<std::function<bool(Printer&)>> printAnswers;
    int printSetups = 0;
    QList<int> fontFlags;
    QList<QString> filters;

    std::optional<QString> openFile(QWidget* owner, const QString& filter, const QString& initial) override;
    std::optional<QString> saveFile(QWidget* owner, const QString& filter, const QString& initial) override;
    std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial, int flags) override;
    bool printSetup(QWidget* owner, Printer& printer) override;

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

class ScriptedPrinter final : public Printer {
public:
    struct Page {
        QSize size;  // the label's size in pixels (1/96 inch)
        QString jobName;
        QImage image;  // the label as painted, one pixel to 1/96 inch, for geometry checks
    };
    ScriptedPrinter();
    ~ScriptedPrinter() override;
    QList<Page> pages;
    std::optional<Error> failWith;  // raised by the next printPage

    QPrinter& device() override;
    void printPage(const Printable& label, const QString& jobName) override;

private:
    std::unique_ptr<QPrinter> device_;
};

class ScriptedHelpViewer final : public HelpViewer {
public:
    struct Call {
        QWidget* owner;
        QString file;
        int command;
        QString keyword;
    };
    QList<Call> calls;
    std::optional<Error> failWith;

    void open(QWidget* owner, const QString& helpFile, int command, const QString& keyword) override;
};

class ScriptedPictures final : public Pictures {
public:
    QImage load(const QString& path) override;
    QHash<QString, QImage> images;  // anything else raises 53
};

// The local file system with scripted drives.
class ScriptedFileSystem final : public FileSystem {
public:
    QList<Drive> driveList;
    QByteArray current;
    QHash<QByteArray, Error> driveErrors;  // by root
    // Runs on the worker before each listing: a test may hold it there, as
    // a read stuck in the kernel would.
    std::function<void(const QByteArray& path)> beforeList;

    QList<Drive> drives() override { return driveList; }
    QByteArray currentDirectory() override { return current; }
    void checkDrive(const Drive& drive) override;
    Listing list(const QByteArray& path, std::stop_token stop = {}) override;

private:
    LocalFileSystem local_;
};

// Waits for the work as the real wait does, without a dialog.
class ScriptedBusy final : public Busy {
public:
    QStringList texts;  // what each wait said it was doing
    // Asked while the work runs: the user presses Cancel once it says so.
    std::function<bool()> cancelWhen;

protected:
    bool wait(QWidget* owner, const QString& text, Job& job) override;
};

}  // namespace ui::testing
