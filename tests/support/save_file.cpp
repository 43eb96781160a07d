// Saves its second argument as the file its first argument names, the way
// Tessera saves a label, for tests that start it with limits of their own
// (a largest file size, another user). Exit status 0 when saved and 1 when
// not, with the reason on standard output (a pipe, which no file-size limit
// cuts).

#include "platform/ReplaceFile.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const auto saved = platform::replaceFile(QString::fromLocal8Bit(argv[1]), QByteArray(argv[2]));
    if (!saved)
        std::fputs(saved.error().toLocal8Bit().constData(), stdout);
    return saved ? 0 : 1;
}
