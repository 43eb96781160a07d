#include "support/ProcessMemory.h"

#include <QByteArray>
#include <QFile>

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's own count (GCC installs no header for it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

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

long peakResidentKb() { return statusKb("VmHWM"); }

long inUseKb()
{
#if defined(__SANITIZE_ADDRESS__)
    return long(__sanitizer_get_current_allocated_bytes() / 1024);
#else
    return statusKb("VmRSS");
#endif
}
