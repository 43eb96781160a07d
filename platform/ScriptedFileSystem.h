#pragma once

#include "platform/FileSystem.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

// The double of a platform service, for tests only: never built into the
// program.
namespace platform {

// The local file system with the drives a test sets (tests).
class ScriptedFileSystem final : public FileSystem {
public:
    QList<Drive> driveList;
    QByteArray current;
    QHash<QByteArray, ui::Error> driveErrors;  // by root
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

}  // namespace platform
