#include "platform/GifStream.h"

namespace platform {

bool gifReachesTrailer(QByteArrayView bytes)
{
    qsizetype at = 0;
    const auto byte = [&]() -> int { return at < bytes.size() ? int(uchar(bytes[at++])) : -1; };
    const auto skip = [&](qsizetype count) {
        if (count > bytes.size() - at)
            return false;
        at += count;
        return true;
    };
    const auto skipColourTable = [&](int flags) { return !(flags & 0x80) || skip(3 * (qsizetype(2) << (flags & 7))); };
    const auto skipSubBlocks = [&] {
        for (;;) {
            const int length = byte();
            if (length <= 0)
                return length == 0;
            if (!skip(length))
                return false;
        }
    };
    // Header, then the logical screen descriptor with its flags at offset 10.
    if (!skip(10))
        return false;
    const int screenFlags = byte();
    if (screenFlags < 0 || !skip(2) || !skipColourTable(screenFlags))
        return false;
    for (;;) {
        switch (byte()) {
        case 0x3B: return true;  // the trailer
        case 0x21:               // an extension: its label, then sub-blocks
            if (byte() < 0 || !skipSubBlocks())
                return false;
            break;
        case 0x2C: {  // an image: position and size, flags, colours, code size, data
            if (!skip(8))
                return false;
            const int imageFlags = byte();
            if (imageFlags < 0 || !skipColourTable(imageFlags) || byte() < 0 || !skipSubBlocks())
                return false;
            break;
        }
        default: return false;  // the end of the stream, or no block at all
        }
    }
}

}  // namespace platform
