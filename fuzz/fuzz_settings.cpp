// The settings file reader on arbitrary bytes: it never crashes, hangs or
// leaks; what it read is written so that it reads back the same; and each
// value it gives, set again, gives itself back, also after writing and
// reading the file.

#include "platform/SettingsText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using platform::SettingsText;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const SettingsText read = SettingsText::parse(bytes);
    const QByteArray written = read.bytes();
    if (SettingsText::parse(written) != read)
        std::abort();

    SettingsText again = read;
    QList<std::pair<QString, QVariant>> values;
    for (const QString& key : read.keys()) {
        const QVariant value = read.value(key);
        if (value.typeId() == QMetaType::QString)
            again.setValue(key, value.toString());
        else if (value.typeId() == QMetaType::QStringList)
            again.setValue(key, value.toStringList());
        else
            continue;
        values.append({key, value});
    }
    const SettingsText reread = SettingsText::parse(again.bytes());
    for (const auto& [key, value] : values) {
        // A list of one reads as its text, as QSettings reads it.
        for (const SettingsText* text : {&std::as_const(again), &reread}) {
            const QVariant got = text->value(key);
            if (value.typeId() == QMetaType::QStringList ? got.toStringList() != value.toStringList() : got != value)
                std::abort();
        }
    }
    return 0;
}
