// The GIF block walker on arbitrary bytes: it must answer, never crash, hang
// or read outside them; and a stream that reaches its trailer still does
// with bytes after it.

#include "platform/GifStream.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (platform::gifReachesTrailer(bytes) && !platform::gifReachesTrailer(bytes.toByteArray() + "\r\nafter"))
        std::abort();
    return 0;
}
