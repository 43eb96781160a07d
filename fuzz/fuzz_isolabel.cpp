// A CD's volume descriptors on arbitrary bytes: each 256 bytes of the input
// are the start of one 2048-byte descriptor from sector 16 on (the rest of
// a sector is never read). The name must be sound, and nothing may crash,
// hang or leak.

#include "SoundLabel.h"
#include "media/VolumeDescriptors.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    namespace d = media::descriptors;
    constexpr qsizetype kChunk = 256;
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    // Exactly as long as the sectors, so that a read past them is caught.
    std::vector<char> sectors;
    for (qsizetype at = 0; at < input.size() && qsizetype(sectors.size()) < d::kIsoDescriptorsSize; at += kChunk) {
        const QByteArrayView chunk = input.sliced(at, std::min(kChunk, input.size() - at));
        sectors.insert(sectors.end(), chunk.begin(), chunk.end());
        if (at + kChunk < input.size())
            sectors.resize(sectors.size() + size_t(d::kIsoSectorSize - kChunk), '\0');
    }
    const std::vector<char> exact(sectors);
    const QByteArrayView descriptors(exact.data(), qsizetype(exact.size()));
    (void)d::isoStatedSize(descriptors);
    // A Joliet name of 16 characters, a primary one of 32.
    if (!soundLabel(d::isoLabel(descriptors), 32))
        std::abort();
    return 0;
}
