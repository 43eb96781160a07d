#pragma once

#include "platform/Pictures.h"

#include <QList>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

// The double of a platform service, for tests only: never built into the
// program.
namespace platform {

// Pictures a test put there (tests).
class ScriptedPictures final : public Pictures {
public:
    QImage load(const QString& path) override;
    QHash<QString, QImage> images;  // a null one raises 481, anything else 53
};

}  // namespace platform
