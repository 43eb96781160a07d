#include "support/ProcessMemory.h"

#include <QByteArray>
#include <QFile>

namespace {
// A field of /proc/self/status, given in kB there.
long statusKb(const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}
}  // namespace

long residentKb() { return statusKb("VmRSS"); }
long peakResidentKb() { return statusKb("VmHWM"); }
