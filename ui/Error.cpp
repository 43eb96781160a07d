#include "ui/Error.h"

namespace ui {

QString standardDescription(int number)
{
    switch (number) {
    case Error::Overflow: return QStringLiteral("Overflow");
    case Error::FileNotFound: return QStringLiteral("File not found");
    case Error::DeviceUnavailable: return QStringLiteral("Device unavailable");
    case Error::PermissionDenied: return QStringLiteral("Permission denied");
    case Error::PathFileAccess: return QStringLiteral("Path/File access error");
    case Error::PathNotFound: return QStringLiteral("Path not found");
    case Error::InvalidPicture: return QStringLiteral("Invalid picture");
    case Error::PrinterError: return QStringLiteral("Printer error");
    case Error::CancelSelected: return QStringLiteral("Cancel was selected.");
    default: return QStringLiteral("Application-defined or object-defined error");
    }
}

Error Error::of(int number) { return Error{number, standardDescription(number)}; }

}  // namespace ui
