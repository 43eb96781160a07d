#include "platform/FileKind.h"

#include <algorithm>

namespace platform {

QString fileKind(QByteArrayView head, qint64 whole)
{
    if (head.startsWith("MZ")) {
        // A Windows program has its PE header where the DOS header says.
        const qsizetype pe = head.size() >= 64 ? qsizetype(uchar(head[60]) | uchar(head[61]) << 8) : -1;
        if (pe >= 0 && pe + 4 <= head.size() && head.sliced(pe, 4) == QByteArrayView("PE\0\0", 4))
            return QStringLiteral("a PE file (a Windows program)");
        return QStringLiteral("an MZ file (a DOS program)");
    }
    static const struct {
        QByteArrayView magic;
        const char* kind;
    } kinds[] = {
        {"\x7F"
         "ELF",
         "an ELF file (a program or library)"},
        {"PK\x03\x04", "a ZIP archive"},
        {"PK\x05\x06", "a ZIP archive"},
        {"%PDF-", "a PDF document"},
        {"\x89PNG\r\n\x1A\n", "a PNG picture"},
        {"\xFF\xD8\xFF", "a JPEG picture"},
        {"GIF87a", "a GIF picture"},
        {"GIF89a", "a GIF picture"},
        {"\x1F\x8B", "a gzip archive"},
    };
    for (const auto& kind : kinds) {
        if (head.startsWith(kind.magic))
            return QString::fromLatin1(kind.kind);
    }
    // Text: UTF-8 without control characters but for blanks and line
    // breaks. Where the file goes on, its last character may be cut off.
    QByteArrayView text = head;
    for (int cut = 0; cut < 3 && head.size() < whole && !text.isValidUtf8(); ++cut)
        text.chop(1);
    const bool controls = std::any_of(text.begin(), text.end(), [](char c) {
        return (uchar(c) < 0x20 && !QByteArrayView("\t\n\f\r").contains(c)) || c == 0x7F;
    });
    if (!text.isEmpty() && !controls && text.isValidUtf8())
        return QStringLiteral("plain text");
    return {};
}

}  // namespace platform
