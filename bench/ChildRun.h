#pragma once

// The real program run as a child, as a user runs it: its standard error
// read line by line as it comes, its resident memory looked at meanwhile,
// and its peak memory and time taken when it ends.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QString>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace bench {

struct ChildRun {
    int status = -1;     // the exit status, or -1 when it did not end normally
    double ms = 0;       // from start to end
    long peakRssKb = 0;  // the child's peak resident memory (ru_maxrss)
};

// The child's resident memory now, in kB (VmRSS), or 0.
inline long residentKb(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/status", int(pid));
    std::FILE* status = std::fopen(path, "r");
    if (!status)
        return 0;
    long kb = 0;
    char line[256];
    while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1)
            break;
    std::fclose(status);
    return kb;
}

// Runs `arguments` (the program first) with standard input from `input`
// (a file, or none) and output to /dev/null; calls `line` with the child's
// pid, each line of its standard error and the milliseconds since it
// started.
inline ChildRun runChild(const QList<QByteArray>& arguments, const char* input,
                         const std::function<void(pid_t, const QByteArray&, double)>& line = {})
{
    ChildRun run;
    int errors[2];
    if (::pipe(errors) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, input ? input : "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, errors[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, errors[0]);
    QList<QByteArray> words = arguments;
    std::vector<char*> argv;
    for (QByteArray& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(errors[1]);
    if (spawned != 0) {
        ::close(errors[0]);
        return run;
    }
    std::FILE* from = ::fdopen(errors[0], "r");
    char* text = nullptr;
    size_t size = 0;
    for (ssize_t got; (got = ::getline(&text, &size, from)) > 0;) {
        if (line)
            line(pid, QByteArray(text, got).trimmed(), timer.nsecsElapsed() / 1e6);
    }
    std::free(text);
    std::fclose(from);
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.ms = timer.nsecsElapsed() / 1e6;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakRssKb = usage.ru_maxrss;
    return run;
}

// A 1.44 MB floppy image with 20 files, a full label's worth, under
// `count` names in `dir` (hard links: "disk00001.img" and on), each on a
// line of the file `dir`/list. Says whether they were made.
inline bool makeFloppyImages(const QString& dir, int count)
{
    QProcess make;
    make.setWorkingDirectory(dir);
    make.start(QStringLiteral("sh"),
               {QStringLiteral("-ec"), QStringLiteral("mkfs.fat -n DISK -C disk.img 1440 >/dev/null; mkdir files; "
                                                      "for i in $(seq -w 1 20); do echo $i > files/FILE$i.TXT; done; "
                                                      "mcopy -i disk.img files/* ::/")});
    if (!make.waitForFinished(60000) || make.exitCode() != 0)
        return false;
    const QByteArray image = QFile::encodeName(dir + QStringLiteral("/disk.img"));
    QFile names(dir + QStringLiteral("/list"));
    if (!names.open(QIODevice::WriteOnly))
        return false;
    for (int i = 1; i <= count; ++i) {
        const QByteArray name = QFile::encodeName(dir + QStringLiteral("/disk%1.img").arg(i, 5, 10, QLatin1Char('0')));
        if (::link(image.constData(), name.constData()) != 0 || names.write(name + '\n') != name.size() + 1)
            return false;
    }
    return true;
}

}  // namespace bench
