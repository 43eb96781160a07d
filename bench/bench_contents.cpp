// Rebuilding the contents list for a directory of 32,767 entries (about 3%
// subdirectories), through the content selection form, against a plain
// readdir plus case-insensitive sort of the same directory.

#include "BenchUtil.h"

#include "support/Harness.h"
#include "templates/DirectoryList.h"

#include <QApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

double plainListing(const QByteArray& path)
{
    return bench::timeMs([&] {
        QStringList names;
        DIR* dir = ::opendir(path.constData());
        while (const dirent* e = ::readdir(dir)) {
            if (e->d_name[0] != '.')
                names.append(QFile::decodeName(e->d_name));
        }
        ::closedir(dir);
        std::sort(names.begin(), names.end(),
                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    });
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    configureTestApplication();
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    const QByteArray big = root + "/big";
    ::mkdir(big.constData(), 0755);
    for (int i = 0; i < 32767; ++i) {
        const QByteArray name = big + "/" + (i % 33 == 0 ? "Folder" : "file") + QByteArray::number(i * 7919 % 32767);
        if (i % 33 == 0)
            ::mkdir(name.constData(), 0755);
        else
            ::close(::open(name.constData(), O_CREAT | O_WRONLY, 0644));
    }

    Harness h;
    h.files->driveList = {{root, dir.path(), true}};
    h.files->current = root;
    h.forms->opncontents.show();
    templates::DirectoryList* list = h.forms->opncontents.controls().Dir1;
    const auto result = bench::alternate(
        11, [&] { return plainListing(big); },
        [&] {
            return bench::timeMs([&] {
                list->setPath(root, big);
                QCoreApplication::processEvents();
            });
        });
    std::printf("contents: %lld entries listed\n", qlonglong(h.forms->opncontents.contents().size()));
    bench::report("contents", result, 1.5);
    return 0;
}
