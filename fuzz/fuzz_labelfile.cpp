// The label-file reader on arbitrary bytes: it must return a card or a
// failure, never crash, hang or leak; and a card it returns must write out
// and read back.

#include "document/LabelFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto result = document::labelfile::read(bytes);
    if (!result) {
        const document::labelfile::Failure& failure = result.error();
        if (failure.line < 1 || failure.value < 1 || failure.why.isEmpty())
            std::abort();
        return 0;
    }
    const QByteArray written = document::labelfile::write(result->card);
    (void)document::labelfile::problems(result->card);
    if (!document::labelfile::read(written))
        std::abort();
    return 0;
}
