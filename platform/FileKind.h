#pragma once

#include <QByteArrayView>
#include <QString>

namespace platform {

// What a file is, told by its first bytes (`head`, of a file of `whole`
// bytes), for saying why it is not what the user meant to open: "a PE file
// (a Windows program)", "a PNG picture", "plain text", ...; empty when they
// tell nothing.
QString fileKind(QByteArrayView head, qint64 whole);

}  // namespace platform
