// Disk images as drives: images are made here with the file-system tools
// (nothing binary is stored), opened through "Disk image...", and listed as
// a directory would be.

#include "support/Harness.h"

#include "media/DiskImage.h"
#include "media/ImageDrives.h"
#include "templates/ContentSelection.h"
#include "templates/DirectoryList.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <functional>
#include <linux/capability.h>
#include <optional>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace {

// Runs a shell script in `dir`; returns its error output when it fails.
// Making an image of many files takes minutes on a loaded machine.
QString sh(const QString& dir, const QString& script)
{
    QProcess p;
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral("sh"), {QStringLiteral("-ec"), script});
    if (!p.waitForFinished(300000) || p.exitCode() != 0)
        return QStringLiteral("failed: %1\n%2").arg(script, QString::fromLocal8Bit(p.readAllStandardError()));
    return {};
}

// A tree with long names, a nested folder, and hidden entries.
const char* const kTree =
    "rm -rf tree && mkdir -p 'tree/Long Folder Name/Deeper' tree/SUB && "
    "echo a > 'tree/A rather long file name.txt' && echo b > tree/SHORT.TXT && "
    "echo c > 'tree/Long Folder Name/inner file.doc' && echo d > tree/SUB/Z.BIN && "
    "echo e > 'tree/Long Folder Name/Deeper/bottom.txt' && echo f > tree/.hidden";

const QStringList kRootContents = {"[LONG FOLDER NAME]", "[SUB]", "A rather long file name.txt", "SHORT.TXT"};

struct Made {
    QString name;
    QString script;  // makes `name` from ./tree
    QString format;
    QString label;
};

QList<Made> images()
{
    QList<Made> made = {
        // Its label in the boot sector only: the root folder's label entry is
        // deleted.
        {"floppy.img",
         "mkfs.fat -n FLOPPY -C floppy.img 1440 >/dev/null && mcopy -s -i floppy.img tree/* ::/ && "
         "echo s > SECRET.TXT && mcopy -i floppy.img SECRET.TXT ::/ && mattrib -i floppy.img +h ::/SECRET.TXT && "
         "printf '\\345' | dd of=floppy.img bs=1 seek=9728 conv=notrunc 2>/dev/null",
         "FAT", "FLOPPY"},
        // A Zip disk: its file system on partition 4, as Zip disks come formatted.
        {"zip100.img",
         "truncate -s 100M zip100.img && printf 'label: dos\\n4 : start=32, size=196576, type=6\\n' | "
         "sfdisk -q zip100.img && mkfs.fat -n 'ZIP 100' -F 16 --offset 32 zip100.img 98288 >/dev/null && "
         "mcopy -s -i zip100.img@@16384 tree/* ::/",
         "FAT", "ZIP 100"},
        {"fat16.img", "mkfs.fat -F 16 -C fat16.img 20480 >/dev/null && mcopy -s -i fat16.img tree/* ::/", "FAT", ""},
        // The Joliet name, not the primary descriptor's.
        {"joliet.iso",
         "xorriso -as mkisofs -quiet --norock -J -V 'Café Fotos 2024' -o joliet.iso tree 2>/dev/null && "
         "printf 'PRIMARY%25s' '' | dd of=joliet.iso bs=1 seek=32808 conv=notrunc 2>/dev/null",
         "ISO 9660", "Café Fotos 2024"},
        // Joliet keeps 16 characters of a name; the primary descriptor 32.
        {"rockridge.iso",
         "xorriso -as mkisofs -quiet -R -J -V 'Holiday photos from Greece' -o rockridge.iso tree 2>/dev/null",
         "ISO 9660", "Holiday photos from Greece"},
    };
    for (Made& m : made)
        m.script = QStringLiteral("rm -f '%1' && ").arg(m.name) + m.script;
    return made;
}

// Puts a stand-in for 7-Zip's lister first on the search path while it lives.
class StandInLister {
public:
    explicit StandInLister(const QString& script) : path_(qgetenv("PATH"))
    {
        QFile file(bin_.filePath(QStringLiteral("7zz")));
        if (file.open(QIODevice::WriteOnly))
            file.write(script.toUtf8());
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(bin_.path()) + ':' + path_);
    }
    ~StandInLister() { qputenv("PATH", path_); }
    QString filePath(const QString& name) const { return bin_.filePath(name); }

private:
    QTemporaryDir bin_;
    QByteArray path_;
};

// Runs `work` on a thread of its own that has given up the capabilities
// that let root read any file, so that permission bits bind it as they bind
// any user.
void withoutReadOverride(const std::function<void()>& work)
{
    std::thread([&work] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2] = {};
        if (::syscall(SYS_capget, &header, data) == 0) {
            for (const int capability : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
                data[capability / 32].effective &= ~(1u << (capability % 32));
            ::syscall(SYS_capset, &header, data);
        }
        work();
    }).join();
}

void openImage(Harness& h, const QString& path)
{
    auto& c = h.forms->opncontents.controls();
    h.dialogs->openAnswers.push_back(path);
    h.forms->opncontents.pickDrive(int(c.drives.size()));  // "Disk image..."
}

QStringList driveItems(Harness& h)
{
    QStringList items;
    QComboBox* box = h.forms->opncontents.controls().Drive1;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

}  // namespace

class ImagesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        configureTestApplication();
        QVERIFY(dir_.isValid());
        const QString failed = sh(dir_.path(), QString::fromLatin1(kTree));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
    }

    void eachFormatListsLikeADirectory_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("label");
        for (const Made& m : images())
            QTest::newRow(qPrintable(m.name)) << m.name << m.script << m.format << m.label;
    }
    void eachFormatListsLikeADirectory()
    {
        QFETCH(QString, name);
        QFETCH(QString, script);
        QFETCH(QString, format);
        QFETCH(QString, label);
        const QString failed = sh(dir_.path(), script);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        const QString path = dir_.filePath(name);

        const auto image = media::DiskImage::open(path);
        QCOMPARE(image->format(), format);
        QCOMPARE(image->volumeLabel(), label);

        Harness h;
        h.files->driveList = {{"/", QStringLiteral("/"), true}};
        h.forms->opncontents.show();
        openImage(h, path);
        QVERIFY2(h.messages->calls.isEmpty(), qPrintable(h.messages->calls.value(0).text));
        QCOMPARE(h.dialogs->filters.last(),
                 QStringLiteral("Disk images (*.img *.ima *.flp *.vfd *.dsk *.iso);;All files (*)"));
        auto& c = h.forms->opncontents.controls();
        QCOMPARE(driveItems(h), (QStringList{"/", name, "Disk image..."}));
        QCOMPARE(c.Drive1->currentIndex(), 1);
        const QByteArray root = QFile::encodeName(path);
        QCOMPARE(c.Dir1->path(), root);
        // Long names, folders first in brackets, hidden entries left out.
        QCOMPARE(h.forms->opncontents.contents(), kRootContents);

        // Folders open inside the image.
        const int sub = c.Dir1->model()->rowCount() - 2;  // "Long Folder Name", then "SUB"
        c.Dir1->openRow(sub);
        QCOMPARE(c.Dir1->path(), root + "/Long Folder Name");
        QCOMPARE(h.forms->opncontents.contents(), (QStringList{"[DEEPER]", "inner file.doc"}));
        c.Dir1->openRow(c.Dir1->model()->rowCount() - 1);
        QCOMPARE(h.forms->opncontents.contents(), QStringList{"bottom.txt"});

        // "Update" fills the template as from a directory.
        h.forms->Tessera.disktype = LabelKind::Floppy;
        h.forms->opncontents.Command1_Click();
        QCOMPARE(h.forms->DiskLabel.Label1(0).caption(), QStringLiteral("bottom.txt"));
        QCOMPARE(h.forms->DiskLabel.Label1(1).caption(), QString());
    }

    void imagesStayAsDrivesEachWithItsOwnFolder()
    {
        for (const Made& m : images().mid(0, 4)) {
            const QString failed = sh(dir_.path(), m.script);
            QVERIFY2(failed.isEmpty(), qPrintable(failed));
        }
        Harness h;
        QTemporaryDir real;
        const QByteArray realRoot = QFile::encodeName(real.path());
        h.files->driveList = {{realRoot, real.path(), true}};
        h.files->current = realRoot;
        h.forms->opncontents.show();
        auto& c = h.forms->opncontents.controls();
        openImage(h, dir_.filePath(QStringLiteral("floppy.img")));
        c.Dir1->openRow(c.Dir1->model()->rowCount() - 1);  // SUB
        openImage(h, dir_.filePath(QStringLiteral("joliet.iso")));
        QCOMPARE(driveItems(h), (QStringList{real.path(), "floppy.img", "joliet.iso", "Disk image..."}));
        QCOMPARE(h.forms->opncontents.contents(), kRootContents);
        // Two images of the same name show their folders.
        QVERIFY(sh(dir_.path(), QStringLiteral("mkdir -p other && cp floppy.img other/")).isEmpty());
        openImage(h, dir_.filePath(QStringLiteral("other/floppy.img")));
        QCOMPARE(driveItems(h), (QStringList{real.path(), "floppy.img (" + dir_.path() + ")", "joliet.iso",
                                             "floppy.img (" + dir_.path() + "/other)", "Disk image..."}));
        h.forms->opncontents.pickDrive(1);
        QCOMPARE(h.forms->opncontents.contents(), QStringList{"Z.BIN"});
        // Choosing an open image again goes to its drive.
        openImage(h, dir_.filePath(QStringLiteral("joliet.iso")));
        QCOMPARE(c.Drive1->currentIndex(), 2);
        QCOMPARE(driveItems(h).size(), 5);
        // Cancelling the dialog changes nothing.
        h.forms->opncontents.pickDrive(int(c.drives.size()));
        QCOMPARE(c.Drive1->currentIndex(), 2);
        QCOMPARE(h.forms->opncontents.contents(), kRootContents);
        QVERIFY(h.messages->calls.isEmpty());
        // Gone with the form.
        h.forms->opncontents.unload();
        Harness::flush();
        h.forms->opncontents.show();
        QCOMPARE(driveItems(h), (QStringList{real.path(), "Disk image..."}));
    }

    void anImageThatChangedIsReadAgainOrSaysWhyNot()
    {
        const QString failed = sh(dir_.path(), images().value(0).script + QStringLiteral(" && echo n > NEW.TXT"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        const QString floppy = dir_.filePath(QStringLiteral("floppy.img"));
        const QByteArray root = QFile::encodeName(floppy);
        Harness h;
        h.forms->opncontents.show();
        auto& c = h.forms->opncontents.controls();
        openImage(h, floppy);
        QCOMPARE(h.forms->opncontents.contents(), kRootContents);

        // Changed in place (same size, same inode): picked again, it is read again.
        QVERIFY(sh(dir_.path(), QStringLiteral("mcopy -i floppy.img NEW.TXT ::/")).isEmpty());
        openImage(h, floppy);
        QCOMPARE(h.forms->opncontents.contents(),
                 (QStringList{"[LONG FOLDER NAME]", "[SUB]", "A rather long file name.txt", "NEW.TXT", "SHORT.TXT"}));
        QCOMPARE(driveItems(h).size(), 3);
        // Changed again: opening a folder reads it again.
        QVERIFY(sh(dir_.path(), QStringLiteral("mcopy -i floppy.img NEW.TXT ::/SUB/")).isEmpty());
        c.Dir1->openRow(c.Dir1->model()->rowCount() - 1);
        QCOMPARE(h.forms->opncontents.contents(), (QStringList{"NEW.TXT", "Z.BIN"}));
        QVERIFY(h.messages->calls.isEmpty());

        // The open folder gone, then no image at all: the drive message, and
        // the lists stay.
        QVERIFY(sh(dir_.path(), QStringLiteral("mdeltree -i floppy.img ::/SUB")).isEmpty());
        c.Dir1->setPath(root, root + "/SUB");
        QVERIFY(sh(dir_.path(), QStringLiteral("echo gone > floppy.img")).isEmpty());
        c.Dir1->openRow(0);
        QCOMPARE(h.messages->calls.size(), 2);
        QCOMPARE(h.messages->calls[0].text, QStringLiteral("An error has occured:Path not found,Error No.76"));
        QVERIFY2(h.messages->calls[1].text.endsWith(QStringLiteral(",Error No.68")),
                 qPrintable(h.messages->calls[1].text));
        QCOMPARE(c.Dir1->path(), root + "/SUB");
        QCOMPARE(h.forms->opncontents.contents(), (QStringList{"NEW.TXT", "Z.BIN"}));
    }

    void whatCannotBeOpenedIsNoDriveAndChangesNothing_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("why");
        // Not a disk image: what the file is instead, where its first bytes say.
        QTest::newRow("text") << "echo 'just text' > bad.img" << 68 << "The file is not a disk image: plain text,";
        QTest::newRow("an archive")
            << "rm -f bad.img bad.zip && 7zz a -tzip bad.zip tree >/dev/null && mv bad.zip bad.img" << 68
            << "The file is not a disk image: a ZIP archive,";
        QTest::newRow("a Windows program")
            << "printf 'MZ%58s\\100\\000\\000\\000PE\\000\\000\\144\\206%200s' > bad.img" << 68
            << "The file is not a disk image: a PE file (a Windows program),";
        QTest::newRow("empty") << ": > bad.img" << 68 << "the file is empty";
        QTest::newRow("truncated floppy")
            << "mkfs.fat -C full.img 1440 >/dev/null && mcopy -s -i full.img tree/* ::/ && head -c 700000 full.img "
               "> bad.img && rm full.img"
            << 68 << "damaged or cut short";
        QTest::newRow("truncated CD")
            << "truncate -s 3M pad.bin && mkdir -p big && mv pad.bin big/ && xorriso -as mkisofs -quiet -J -o full.iso "
               "big 2>/dev/null && head -c 1000000 full.iso > bad.img && rm -rf full.iso big"
            << 68 << "cut short";
        QTest::newRow("2 GB of zeros") << "rm -f bad.img && truncate -s 2G bad.img" << 68
                                       << "The file is not a disk image,";
        // A folder whose entry points back at its parent's cluster.
        QTest::newRow("looping directory")
            << "rm -f bad.img && mkfs.fat -C bad.img 1440 >/dev/null && mmd -i bad.img ::/A && mmd -i bad.img ::/A/B "
               "&& "
               "printf '\\002\\000' | dd of=bad.img bs=1 seek=16986 conv=notrunc 2>/dev/null"
            << 68 << "Device unavailable (the FAT file system on it is damaged)";
        QTest::newRow("two partitions")
            << "rm -f bad.img && truncate -s 20M bad.img && printf 'label: dos\\n1 : start=2048, size=16384, type=1\\n"
               "2 : start=18432, size=16384, type=1\\n' | sfdisk -q bad.img && mkfs.fat --offset 2048 bad.img 8192 "
               ">/dev/null && mkfs.fat --offset 18432 bad.img 8192 >/dev/null"
            << 68 << "the disk has 2 partitions";
        QTest::newRow("missing") << "rm -f bad.img" << 53 << "File not found";
        QTest::newRow("a named pipe") << "rm -f bad.img && mkfifo bad.img" << 75 << "it is a pipe, not a regular file";
        QTest::newRow("a device") << "rm -f bad.img && ln -s /dev/zero bad.img" << 75
                                  << "it is a device, not a regular file";
    }
    void whatCannotBeOpenedIsNoDriveAndChangesNothing()
    {
        QFETCH(QString, script);
        QFETCH(int, number);
        QFETCH(QString, why);
        const QString failed = sh(dir_.path(), script);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        Harness h;
        QTemporaryDir real;
        QVERIFY(QDir(real.path()).mkdir(QStringLiteral("kept")));
        const QByteArray realRoot = QFile::encodeName(real.path());
        h.files->driveList = {{realRoot, real.path(), true}};
        h.files->current = realRoot;
        h.forms->opncontents.show();
        auto& c = h.forms->opncontents.controls();
        c.Dir1->openRow(1);
        const QStringList before = h.forms->opncontents.contents();
        // A reader that waits for a pipe's writer is let go, so that a
        // hang fails the test instead of stopping it.
        const QByteArray bad = QFile::encodeName(dir_.filePath(QStringLiteral("bad.img")));
        const std::jthread writer([&bad](std::stop_token stop) {
            while (!stop.stop_requested()) {
                const int fd = ::open(bad.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        openImage(h, dir_.filePath(QStringLiteral("bad.img")));
        QCOMPARE(h.messages->calls.size(), 1);
        const QString text = h.messages->calls[0].text;
        QVERIFY2(text.startsWith(QStringLiteral("An error has occured:")), qPrintable(text));
        QVERIFY2(text.endsWith(QStringLiteral(",Error No.%1").arg(number)), qPrintable(text));
        QVERIFY2(text.contains(why), qPrintable(text));
        QCOMPARE(driveItems(h), (QStringList{real.path(), "Disk image..."}));
        QCOMPARE(c.Drive1->currentIndex(), 0);
        QCOMPARE(c.Dir1->path(), realRoot + "/kept");
        QCOMPARE(h.forms->opncontents.contents(), before);
    }

    // A disk's name as the disk gives it: the placeholder that formatting
    // leaves, in the root folder or in the boot sector (padded with blanks or
    // 0xFF), is no name; and a control that would reorder the printed name
    // shows as "?", as other control characters do.
    void volumeLabelsAreTheDisksOwnNames_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("label");
        // A 1.44 MB floppy's root folder starts at byte 9728, its boot
        // sector's label at byte 43.
        const QString root = QStringLiteral(" | dd of=l.img bs=1 seek=9728 conv=notrunc 2>/dev/null");
        const QString boot = QStringLiteral(" | dd of=l.img bs=1 seek=43 conv=notrunc 2>/dev/null");
        QTest::newRow("placeholder in the root folder")
            << "mkfs.fat -n FLOPPY -C l.img 1440 >/dev/null && printf 'NO NAME    '" + root << "FLOPPY";
        QTest::newRow("placeholder padded with 0xFF")
            << "mkfs.fat -C l.img 1440 >/dev/null && printf 'NO NAME\\377\\377\\377\\377'" + boot << "";
        // U+202E, right-to-left override; U+2066, left-to-right isolate.
        QTest::newRow("override in a FAT label")
            << "mkfs.fat -n X -C l.img 1440 >/dev/null && printf 'AB\\342\\200\\256CD    '" + root << "AB?CD";
        QTest::newRow("override in a CD name")
            << "xorriso -as mkisofs -quiet -J -V \"$(printf 'abc\\342\\200\\256gpj.exe')\" -o l.img tree 2>/dev/null"
            << "abc?gpj.exe";
        QTest::newRow("isolate in a UDF name")
            << "truncate -s 8M l.img && mkudffs --utf8 --lvid=\"$(printf 'x\\342\\201\\246y')\" l.img >/dev/null 2>&1"
            << "x?y";
    }
    void volumeLabelsAreTheDisksOwnNames()
    {
        QFETCH(QString, script);
        QFETCH(QString, label);
        const QString failed = sh(dir_.path(), QStringLiteral("rm -f l.img && ") + script);
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        QCOMPARE(media::DiskImage::open(dir_.filePath(QStringLiteral("l.img")))->volumeLabel(), label);
    }

    // A listing that puts the volume past any offset a file can have is
    // refused, not added up past the largest number.
    void aVolumeAtAnImpossibleOffsetIsRefused()
    {
        const StandInLister lister(QStringLiteral(
            "#!/bin/sh\nprintf 'Path = h.img\\nType = MBR\\n\\nPath = 1.fat\\nType = MBR\\n"
            "Offset = 9223372036854775807\\n\\nPath = 2.fat\\nType = FAT\\nOffset = 9223372036854775807\\n"
            "----------\\nPath = A.TXT\\nFolder = -\\n'\n"));
        const QString failed = sh(dir_.path(), QStringLiteral("echo 'no CD' > far.img"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        try {
            media::DiskImage::open(dir_.filePath(QStringLiteral("far.img")));
            QFAIL("opened");
        } catch (const ui::Error& e) {
            QCOMPARE(e.number, 68);
            QCOMPARE(e.description,
                     QStringLiteral("Device unavailable (the image is damaged: a volume on it starts at an impossible "
                                    "offset)"));
        }
    }

    // Only the trees of the last images used stay in memory; an older one
    // stays a drive and is read again when it is picked.
    void onlyTheLastImagesUsedStayInMemory()
    {
        const QString failed = sh(dir_.path(), images().value(0).script + QStringLiteral(" && for i in 1 2 3 4 5; do "
                                                                                         "cp floppy.img kept$i.img; "
                                                                                         "done"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        const auto root = [this](int i) {
            return media::ImageDrives::rootOf(dir_.filePath(QStringLiteral("kept%1.img").arg(i)));
        };
        Harness h;
        h.forms->opncontents.show();
        auto& c = h.forms->opncontents.controls();
        openImage(h, dir_.filePath(QStringLiteral("kept1.img")));
        const std::weak_ptr<const media::DiskImage> first = c.files->kept(root(1));
        QVERIFY(!first.expired());
        for (int i = 2; i <= 5; ++i)
            openImage(h, dir_.filePath(QStringLiteral("kept%1.img").arg(i)));
        QTRY_VERIFY(first.expired());
        for (int i = 2; i <= 5; ++i)
            QVERIFY(c.files->kept(root(i)));
        QCOMPARE(driveItems(h).size(), 7);

        h.forms->opncontents.pickDrive(1);
        QCOMPARE(c.Dir1->path(), root(1));
        QCOMPARE(h.forms->opncontents.contents(), kRootContents);
        QVERIFY(c.files->kept(root(1)));
        QVERIFY(!c.files->kept(root(2)));
        QVERIFY(h.messages->calls.isEmpty());
    }

    void anImageNoOneMayReadIsPermissionDenied()
    {
        const QString failed = sh(dir_.path(), QStringLiteral("rm -f locked.img && mkfs.fat -C locked.img 1440 "
                                                              ">/dev/null && chmod 000 locked.img"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        std::optional<ui::Error> refused;
        withoutReadOverride([&] {
            try {
                media::DiskImage::open(dir_.filePath(QStringLiteral("locked.img")));
            } catch (const ui::Error& error) {
                refused = error;
            }
        });
        QVERIFY(refused);
        QCOMPARE(refused->number, 70);
        QCOMPARE(refused->description, QStringLiteral("Permission denied"));
    }

    void aFolderOfMoreThan32767EntriesOverflowsAsADirectoryDoes()
    {
        const QString failed =
            sh(dir_.path(), QStringLiteral("rm -rf many && mkdir -p many/crowd && cd many/crowd && "
                                           "seq 1 32800 | sed 's/^/f/' | xargs touch && cd ../.. && "
                                           "xorriso -as mkisofs -quiet -J -R -o many.iso many 2>/dev/null"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        Harness h;
        h.forms->opncontents.show();
        openImage(h, dir_.filePath(QStringLiteral("many.iso")));
        QVERIFY2(h.messages->calls.isEmpty(), qPrintable(h.messages->calls.value(0).text));
        auto& c = h.forms->opncontents.controls();
        c.Dir1->openRow(c.Dir1->model()->rowCount() - 1);
        QCOMPARE(h.messages->calls.size(), 1);
        QVERIFY(h.messages->calls[0].text.endsWith(QStringLiteral("Error No.6")));
        QCOMPARE(h.forms->opncontents.contents().size(), 32767);
    }

    void cancellingEndsTheListerAndChangesNothing()
    {
        // A lister that never ends, as on a huge or stuck image.
        const StandInLister lister(QStringLiteral("#!/bin/sh\necho $$ > \"$(dirname \"$0\")/pid\"\nexec sleep 600\n"));
        const QString pidFile = lister.filePath(QStringLiteral("pid"));
        const QString failed = sh(dir_.path(), QStringLiteral("echo 'no CD' > stuck.img"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        Harness h;
        h.forms->opncontents.show();
        const QStringList items = driveItems(h);
        const QByteArray path = h.forms->opncontents.controls().Dir1->path();
        h.busy->cancelWhen = [&pidFile] { return QFileInfo(pidFile).size() > 0; };
        openImage(h, dir_.filePath(QStringLiteral("stuck.img")));
        QCOMPARE(h.busy->texts.last(), QStringLiteral("Reading the disk image. Please wait."));
        QVERIFY(h.messages->calls.isEmpty());
        QCOMPARE(driveItems(h), items);
        QCOMPARE(h.forms->opncontents.controls().Dir1->path(), path);
        QFile pid(pidFile);
        QVERIFY(pid.open(QIODevice::ReadOnly));
        const pid_t listerPid = pid_t(pid.readAll().trimmed().toInt());
        QVERIFY(listerPid > 0);
        QTRY_VERIFY(::kill(listerPid, 0) != 0);
    }

    void aListingOfManyEntriesIsReadHoweverLongItsText()
    {
        // 450,000 entries in 450 folders: about 70 MB of listing, far fewer
        // entries than the limit.
        const StandInLister lister(QStringLiteral(
            "#!/bin/sh\nexec awk 'BEGIN { print \"Path = big.img\"; print \"Type = FAT\"; print \"----------\";"
            " for (d = 0; d < 450; d++) { printf \"Path = D%03d\\nFolder = +\\nAttributes = D\\n\\n\", d;"
            " for (f = 0; f < 999; f++) printf \"Path = D%03d/file %03d.txt\\nFolder = -\\nSize = 0\\n"
            "Modified = 2024-01-01 00:00:00\\nCreated = 2024-01-01 00:00:00\\nAccessed = 2024-01-01 00:00:00\\n"
            "Attributes = A\\n\\n\", d, f } }'\n"));
        const QString failed = sh(dir_.path(), QStringLiteral("echo 'no CD' > many.img"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        const auto image = media::DiskImage::open(dir_.filePath(QStringLiteral("many.img")));
        QCOMPARE(image->list({}).directories.size(), 450);
        QCOMPARE(image->list("D449").files.size(), 999);
    }

    void anEmptyUdfImageOpensEmptyWhateverItsLabelSays()
    {
        const QString failed =
            sh(dir_.path(), QStringLiteral("rm -f udf.img && truncate -s 8M udf.img && "
                                           "mkudffs --lvid='Unexpected end' udf.img >/dev/null 2>&1"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        const auto image = media::DiskImage::open(dir_.filePath(QStringLiteral("udf.img")));
        QCOMPARE(image->format(), QStringLiteral("UDF"));
        QCOMPARE(image->volumeLabel(), QStringLiteral("Unexpected end"));
        QCOMPARE(image->list({}).files.size(), 0);
    }

    // Names as the disks' own systems showed them: a DOS disk's short names
    // in its code page, no folders of 7-Zip's invention, and no control
    // character that would break an entry.
    void namesShowAsTheirDisksShowedThem()
    {
        const QString failed =
            sh(dir_.path(),
               QStringLiteral("export LC_ALL=C.UTF-8 && rm -rf dos odd && mkdir dos odd && "
                              "echo c > dos/CAFÉ.TXT && echo a > dos/ÄRGER.TXT && "
                              "rm -f dos.img && mkfs.fat -C dos.img 1440 >/dev/null && mlabel -i dos.img ::CAFÉ && "
                              "mcopy -i dos.img dos/* ::/ && rm -f ext.img && truncate -s 8M ext.img && "
                              "mkfs.ext4 -q -d tree ext.img && touch 'odd/new\nline.txt' 'odd/tab\tstop.txt' && "
                              "xorriso -as mkisofs -quiet -R -o odd.iso odd 2>/dev/null"));
        QVERIFY2(failed.isEmpty(), qPrintable(failed));
        const auto names = [this](const QString& image, bool folders = false) {
            const platform::Listing listing = media::DiskImage::open(dir_.filePath(image))->list({});
            QStringList shown;
            for (const platform::DirEntry& entry : folders ? listing.directories : listing.files)
                shown << entry.display;
            return shown;
        };
        QCOMPARE(names("dos.img"), (QStringList{"CAFÉ.TXT", "ÄRGER.TXT"}));
        QCOMPARE(media::DiskImage::open(dir_.filePath("dos.img"))->volumeLabel(), QStringLiteral("CAFÉ"));
        {
            qputenv("TESSERA_OEM_CODEPAGE", "866");
            const auto restore = qScopeGuard([] { qunsetenv("TESSERA_OEM_CODEPAGE"); });
            QCOMPARE(names("dos.img"), (QStringList{"CAFР.TXT", "ОRGER.TXT"}));
        }
        QCOMPARE(names("ext.img", true), (QStringList{"Long Folder Name", "lost+found", "SUB"}));
        QCOMPARE(names("odd.iso"), (QStringList{"new?line.txt", "tab?stop.txt"}));
    }

    void theTreeIsBuiltFromPathsAlone()
    {
        // Folders a path implies, hidden folders with what they hold, and
        // duplicates (a name seen twice) are handled without a reader.
        const auto image = media::DiskImage::fromEntries(QStringLiteral("x.img"), QStringLiteral("FAT"),
                                                         {{"a/b/c.txt", false, false},
                                                          {"a", true, false},
                                                          {"HID", true, true},
                                                          {"HID/in.txt", false, false},
                                                          {"a/b/c.txt", false, false},
                                                          {"top.txt", false, true},
                                                          {".dot/x", false, false},
                                                          {"z.txt", false, false}});
        QCOMPARE(image->list({}).directories.size(), 1);
        QCOMPARE(image->list({}).files.size(), 1);
        QCOMPARE(image->list("a").directories.value(0).name, QByteArray("b"));
        QCOMPARE(image->list("a/b").files.size(), 1);
        try {
            image->list("nowhere");
            QFAIL("an unknown folder listed");
        } catch (const ui::Error& e) {
            QCOMPARE(e.number, 76);
        }
    }

private:
    QTemporaryDir dir_;
};

QTEST_MAIN(ImagesTest)
#include "test_images.moc"
