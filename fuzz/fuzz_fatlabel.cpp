// A FAT disk's labels on arbitrary bytes: the input as the volume's boot
// sector, and as a label field of the root folder. Either label must be
// sound and never the "NO NAME" placeholder; nothing may crash, hang or leak.

#include "SoundLabel.h"
#include "media/VolumeDescriptors.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    namespace d = media::descriptors;
    static media::OemCodePage oem;
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString boot = d::fatBootLabel(input, oem);
    const QString root = d::fatLabel(oem.text(input.first(std::min<qsizetype>(input.size(), 11))));
    for (const QString& label : {boot, root}) {
        if (!soundLabel(label, 11) || label == QLatin1String("NO NAME"))
            std::abort();
    }
    return 0;
}
