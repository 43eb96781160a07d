#include "platform/ScriptedPictures.h"

#include "ui/Error.h"

namespace platform {

QImage ScriptedPictures::load(const QString& path)
{
    const auto found = images.constFind(path);
    if (found == images.constEnd())
        throw ui::Error::of(ui::Error::FileNotFound);
    if (found->isNull())
        throw ui::Error::of(ui::Error::InvalidPicture);
    return *found;
}

}  // namespace platform
