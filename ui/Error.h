#pragma once

#include <QString>

namespace ui {

// A trapped run-time error with the classic error numbers.
struct Error {
    enum Number : int {
        Overflow = 6,
        FileNotFound = 53,
        DeviceUnavailable = 68,
        PermissionDenied = 70,
        PathFileAccess = 75,
        PathNotFound = 76,
        InvalidPicture = 481,
        PrinterError = 482,
        ApplicationDefined = 1004,
        CancelSelected = 32755,
    };

    int number = 0;
    QString description;

    // The error with its standard description.
    static Error of(int number);
    // The error with a description of the caller's own.
    static Error of(int number, const QString& description) { return Error{number, description}; }
};

QString standardDescription(int number);

// Raised by work that stopped early because the user cancelled it; what it
// found is never used.
struct Stopped {};

}  // namespace ui
