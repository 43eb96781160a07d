#pragma once

#include <QString>

namespace ui {

// Fixed properties of the application.
struct AppInfo {
    static inline const QString title = QStringLiteral("Tessera v1.6");
    static constexpr int major = 1;
    static constexpr int minor = 6;
    static constexpr int revision = 0;

    // "1.6.0"
    static QString version() { return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision); }
};

}  // namespace ui
