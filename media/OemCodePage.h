#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

namespace media {

// The code page DOS and Windows wrote a FAT disk's short names and label in:
// 437 unless the environment variable TESSERA_OEM_CODEPAGE names another
// ("850", "866", "cp1251", any name the system's converter knows).
class OemCodePage {
public:
    OemCodePage();

    QString text(QByteArrayView bytes);
    // A name or path as UTF-8: as it is where it is UTF-8 already, else
    // each part between slashes that is not read in the code page.
    QByteArray toUtf8(const QByteArray& name);

private:
    QStringDecoder decoder_;
};

}  // namespace media
