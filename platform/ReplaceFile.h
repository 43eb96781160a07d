#pragma once

#include "ui/Result.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <memory>

class QSaveFile;

namespace platform {

// A file written as a stream and put in place whole, so that a failure
// never costs the file it replaces: the bytes go into a new file beside it
// through its descriptor as they are written, every write checked; commit() flushes and syncs
// it and renames it over the old one. When the folder takes no new file but
// the file itself is writable, the bytes are kept in a scratch file of the
// system's temporary folder and commit() writes them in place, the part
// beyond the old length first. A folder, a named pipe or a device is never
// written. Without commit() nothing changes.
class FileReplacement final : public QIODevice {
public:
    explicit FileReplacement(const QString& path);
    ~FileReplacement() override;

    // Makes the new file (or the scratch file) and opens this device for
    // writing; says why not, in the system's words.
    ui::Result<void, QString> start();
    // Puts the bytes written in place of the file; says why not, in the
    // system's words (a write that failed earlier included), and then the
    // earlier file is as it was.
    ui::Result<void, QString> commit();
    // Drops what was written: the earlier file stays as it was.
    void cancel();
    // Whether a write failed; the bytes then are never committed.
    bool failed() const { return error_ != 0; }

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    QString path_;
    std::unique_ptr<QSaveFile> file_;  // the new file beside the old one
    int scratch_ = -1;                 // or the scratch file for writing in place
    int fd_ = -1;                      // where the bytes go
    qint64 written_ = 0;
    int error_ = 0;  // the errno of the first write that failed
};

// Writes `bytes` to `path` as a FileReplacement does, all at once.
ui::Result<void, QString> replaceFile(const QString& path, const QByteArray& bytes);

}  // namespace platform
