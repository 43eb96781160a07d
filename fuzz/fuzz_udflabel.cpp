// A UDF disk's anchor and logical volume descriptor on arbitrary bytes: the
// input's first byte picks the sector size (512 << (byte % 4)), the next 24
// bytes are the anchor at sector 256, and the rest is the volume descriptor
// sequence it points at. The name must be sound; nothing may crash, hang or
// leak.

#include "SoundLabel.h"
#include "media/VolumeDescriptors.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    namespace d = media::descriptors;
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    if (input.size() < 1 + d::kUdfAnchorSize)
        return 0;
    const qsizetype sectorSize = qsizetype(512) << (uchar(input[0]) % 4);
    const std::optional<d::UdfExtent> extent = d::udfAnchor(input.sliced(1, d::kUdfAnchorSize));
    if (!extent)
        return 0;
    const QByteArrayView sequence = input.sliced(1 + d::kUdfAnchorSize);
    const qsizetype sectors = qsizetype(std::min(extent->length / quint64(sectorSize), d::kUdfMaxSequenceSectors));
    // A d-string of 128 bytes holds at most 126 one-byte characters.
    if (!soundLabel(
            d::udfLabel(sequence.first(std::min(sequence.size(), sectors * sectorSize)), extent->location, sectorSize),
            126))
        std::abort();
    return 0;
}
