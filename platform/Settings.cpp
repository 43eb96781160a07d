#include "platform/Settings.h"

#include "platform/ReplaceFile.h"
#include "platform/UserFile.h"
#include "ui/Error.h"
#include "ui/Result.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// How long a write waits for another Tessera process to finish its own.
constexpr int kLockWaitMs = 5000;

QString systemWords(int code) { return QString::fromLocal8Bit(::strerror(code)); }

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("no regular file");
}

// Why the file at `path` is not to be read or replaced, or nothing: it is
// not there yet, or it is the user's own regular file or a link to one.
QString refusal(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat link {};
    if (::lstat(name.constData(), &link) != 0)
        return errno == ENOENT ? QString() : systemWords(errno);
    struct stat target = link;
    QString what = QStringLiteral("it is ");
    if (S_ISLNK(link.st_mode)) {
        what = QStringLiteral("it is a link to %1, which is ").arg(QFileInfo(path).symLinkTarget());
        if (::stat(name.constData(), &target) != 0)
            return what + (errno == ENOENT ? QStringLiteral("not there") : systemWords(errno));
    }
    if (!S_ISREG(target.st_mode))
        return what + kindOf(target.st_mode) + QStringLiteral(", not a file");
    if (target.st_uid != ::geteuid())
        return what + QStringLiteral("another user's file");
    if (qint64(target.st_size) > Settings::kMaxFileBytes)
        return what +
               QStringLiteral("larger than %1 MB, far more than settings take").arg(Settings::kMaxFileBytes >> 20);
    return {};
}

// The settings the file holds, none when it is not there yet, or why it is
// not used.
ui::Result<SettingsText, QString> load(const QString& path)
{
    if (const QString why = refusal(path); !why.isEmpty())
        return ui::failed(why);
    if (!QFileInfo::exists(path))
        return SettingsText();
    try {
        UserFile file(path);
        const QByteArray bytes = file.readUpTo(Settings::kMaxFileBytes);
        if (bytes.size() > Settings::kMaxFileBytes)
            return ui::failed(refusal(path));
        return SettingsText::parse(bytes);
    } catch (const ui::Error& error) {
        return ui::failed(error.description);
    }
}

// Makes the folders up to and including `folder`; gives the errno of a
// failure, or 0.
int makeFolders(const QByteArray& folder)
{
    struct stat status {};
    if (::stat(folder.constData(), &status) == 0)
        return S_ISDIR(status.st_mode) ? 0 : ENOTDIR;
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0) {
        if (const int code = makeFolders(folder.first(slash)); code != 0)
            return code;
    }
    return ::mkdir(folder.constData(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

QString readSentence(const QString& file, const QString& why)
{
    return QStringLiteral(
               "Tessera's settings file %1 is not read: %2. Label stock goes on without the used labels and "
               "the printer calibrations it remembers.")
        .arg(file, why);
}

QString writeSentence(const QString& file, const QString& why)
{
    return QStringLiteral(
               "Tessera's settings could not be saved in %1: %2. The used labels of the sheet and the printer "
               "calibration are not remembered.")
        .arg(file, why);
}

}  // namespace

QString Settings::userFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tessera/Tessera.conf");
}

Settings::Settings(QString file) : file_(std::move(file)) {}

SettingsText Settings::read() const
{
    ui::Result<SettingsText, QString> loaded = load(file_);
    if (!loaded) {
        readProblem_ = readSentence(file_, loaded.error());
        return {};
    }
    readProblem_.clear();
    return std::move(loaded).value();
}

bool Settings::update(const std::function<void(SettingsText&)>& edit)
{
    const auto fail = [this](const QString& why) {
        writeProblem_ = writeSentence(file_, why);
        return false;
    };
    if (const QString why = refusal(file_); !why.isEmpty())
        return fail(why);
    if (const int code = makeFolders(QFile::encodeName(QFileInfo(file_).absolutePath())); code != 0)
        return fail(systemWords(code));
    // A folder that takes no lock file may still let the file itself be
    // written in place; only a lock another process holds stops the write.
    QLockFile lock(file_ + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockWaitMs) && lock.error() == QLockFile::LockFailedError)
        return fail(QStringLiteral("another Tessera kept it locked for more than %1 seconds").arg(kLockWaitMs / 1000));

    const ui::Result<SettingsText, QString> before = load(file_);
    if (!before)
        return fail(before.error());
    SettingsText after = *before;
    edit(after);
    if (after != *before) {
        if (const ui::Result<void, QString> saved = replaceFile(file_, after.bytes()); !saved)
            return fail(saved.error());
    }
    writeProblem_.clear();
    readProblem_.clear();
    return true;
}

QString Settings::takeProblem()
{
    const QString now = problem();
    if (now.isEmpty() || now == told_) {
        told_ = now;
        return {};
    }
    told_ = now;
    return now;
}

}  // namespace platform
