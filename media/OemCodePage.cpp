#include "media/OemCodePage.h"

#include <QList>

namespace media {

OemCodePage::OemCodePage()
    : decoder_(qgetenv("TESSERA_OEM_CODEPAGE").trimmed().constData(), QStringDecoder::Flag::Stateless)
{
    if (!decoder_.isValid())
        decoder_ = QStringDecoder("437", QStringDecoder::Flag::Stateless);
}

QString OemCodePage::text(QByteArrayView bytes)
{
    return decoder_.isValid() ? decoder_.decode(bytes) : QString::fromLatin1(bytes);
}

QByteArray OemCodePage::toUtf8(const QByteArray& name)
{
    if (QByteArrayView(name).isValidUtf8())
        return name;
    QByteArray out;
    for (const QByteArray& part : name.split('/')) {
        if (!out.isEmpty())
            out += '/';
        out += QByteArrayView(part).isValidUtf8() ? part : text(part).toUtf8();
    }
    return out;
}

}  // namespace media
