#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>
#include <deque>
#include <functional>
#include <optional>

class QPrintDialog;
class QWidget;

namespace platform {

class Printer;

// What the font dialog returns: typeface, size, effects and colour.
struct FontChoice {
    QString name = QStringLiteral("MS Sans Serif");
    double size = 8;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethru = false;
    quint32 color = 0;  // 0x00BBGGRR

    friend bool operator==(const FontChoice&, const FontChoice&) = default;
};

// The system's standard modal dialogs. Each returns nothing when the user
// cancels. `filter` is in Qt's form ("Text (*.x);;Other (*.y)").
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual std::optional<QString> openFile(QWidget* owner, const QString& filter, const QString& initial) = 0;
    virtual std::optional<QString> saveFile(QWidget* owner, const QString& filter, const QString& initial) = 0;
    virtual std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial, int flags) = 0;
    // Printer choice and page set-up; what the user confirms becomes the
    // current printer.
    virtual bool printSetup(QWidget* owner, Printer& printer) = 0;
};

class QtDialogs final : public Dialogs {
public:
    std::optional<QString> openFile(QWidget* owner, const QString& filter, const QString& initial) override;
    std::optional<QString> saveFile(QWidget* owner, const QString& filter, const QString& initial) override;
    std::optional<FontChoice> chooseFont(QWidget* owner, const FontChoice& initial, int flags) override;
    bool printSetup(QWidget* owner, Printer& printer) override;

    // Makes Qt's print dialog a print setup: printer and paper only, one
    // page, no range and no copies. Option tabs the program adds stay.
    static void preparePrintSetup(QPrintDialog& dialog);
};

// Dialogs that answer as a test scripted them.
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

}  // namespace platform
