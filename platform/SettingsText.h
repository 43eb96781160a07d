#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace platform {

// The values of a settings file in Qt's INI format, as QSettings writes it:
// "[group]" sections, keys with "\" for "/" and %XX escapes, and values that
// are texts or lists of texts (numbers are written as their text). Each value
// is kept as the file writes it, so that values this program does not know
// (a QSettings "@Variant(...)") are written back unchanged. Pure code: it
// touches no file.
//
// The program reads and writes the bytes itself, rather than through
// QSettings, so that the settings file is written as every other file is
// (platform::replaceFile): Qt 6.4's QSaveFile ignores a failed write of its
// buffer and renames a short file over the old one when the disk is full.
class SettingsText {
public:
    // Whatever `bytes` hold: a line that is not "key=value" or a section is
    // ignored, as QSettings ignores it.
    static SettingsText parse(const QByteArray& bytes);
    // The file's bytes, with the sections and keys in order, as QSettings
    // orders them.
    QByteArray bytes() const;

    bool contains(const QString& key) const { return raw_.contains(key); }
    // A text, a list of texts (a value with commas), or `fallback` for a key
    // that is not there or a value of a kind this program does not read.
    QVariant value(const QString& key, const QVariant& fallback = {}) const;
    void setValue(const QString& key, const QString& text);
    // An empty list is written as QSettings writes it, "@Invalid()".
    void setValue(const QString& key, const QStringList& texts);
    void setValue(const QString& key, double number);
    // The key and every key under it ("a/b" takes "a/b/c" along).
    void remove(const QString& key);
    QStringList keys() const { return raw_.keys(); }

    friend bool operator==(const SettingsText&, const SettingsText&) = default;

private:
    QMap<QString, QByteArray> raw_;  // key, groups joined by "/": its value as written
};

}  // namespace platform
