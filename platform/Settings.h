#pragma once

#include "platform/SettingsText.h"

#include <QString>
#include <QVariant>
#include <functional>

namespace platform {

// What the program remembers between runs (the label product chosen last,
// the used labels of each sheet, each printer's calibration), in one file:
// Tessera/Tessera.conf in the user's configuration folder. This is the only
// code that opens that file; the windows and the runs without a window share
// one object of it.
//
// The file is used only while it is the user's own regular file, or a link
// to one (a link is followed, and stays a link). Anything else in its place
// (a folder, a named pipe, a device, another user's file, a file far larger
// than settings are) is neither read nor replaced, and nothing here ever
// waits on it. It is written whole through platform::replaceFile, or not at
// all; every failure to read or write it is kept as one sentence for the
// user, naming the file and the cause.
class Settings {
public:
    static constexpr qint64 kMaxFileBytes = 1 << 20;

    // The user's settings file, where the configuration folder is now.
    static QString userFile();

    explicit Settings(QString file);

    const QString& file() const { return file_; }

    // The settings as the file holds them now: none where there is no file
    // yet, or where it is not used (problem() then says why).
    SettingsText read() const;
    QVariant value(const QString& key, const QVariant& fallback = {}) const { return read().value(key, fallback); }

    // Applies `edit` to the settings as the file holds them now and writes
    // them, under a lock that every Tessera process takes, so that what
    // another process wrote in the meantime is what `edit` sees and keeps.
    // False when the file could not be read or written; problem() says why.
    bool update(const std::function<void(SettingsText&)>& edit);

    // Why the file could not be written the last time, or else why it was
    // not read the last time; empty when both went well.
    QString problem() const { return writeProblem_.isEmpty() ? readProblem_ : writeProblem_; }
    // The problem, unless it was taken before: what the user is told, once,
    // until it changes or goes away.
    QString takeProblem();

private:
    QString file_;
    mutable QString readProblem_;
    QString writeProblem_;
    QString told_;
};

}  // namespace platform
