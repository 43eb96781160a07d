// The label-file reader on arbitrary bytes: it must return a card or a
// failure, never crash, hang or leak; and a card it returns must write out
// and read back.

#include "designer/LabelFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto result = designer::labelfile::read(bytes);
    if (!result.card) {
        if (result.failure.line < 1 || result.failure.value < 1 || result.failure.why.isEmpty())
            std::abort();
        return 0;
    }
    const QByteArray written = designer::labelfile::write(*result.card);
    (void)designer::labelfile::problems(*result.card);
    if (!designer::labelfile::read(written).card)
        std::abort();
    return 0;
}
