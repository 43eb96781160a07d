#include "platform/ScriptedFileSystem.h"

namespace platform {

void ScriptedFileSystem::checkDrive(const Drive& drive)
{
    const auto found = driveErrors.constFind(drive.root);
    if (found != driveErrors.constEnd())
        throw *found;
    local_.checkDrive(drive);
}

Listing ScriptedFileSystem::list(const QByteArray& path, std::stop_token stop)
{
    if (beforeList)
        beforeList(path);
    return local_.list(path, stop);
}

}  // namespace platform
