// Content selection on real temporary directories: the contents list, the
// fill of each template, the drive and directory errors, bad input.

#include "support/Harness.h"

#include "media/ContentsList.h"
#include "templates/ContentSelection.h"
#include "templates/DirectoryList.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <atomic>
#include <semaphore>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void touch(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0644);
    QVERIFY2(fd >= 0, path.constData());
    ::close(fd);
}

QByteArray at(const QTemporaryDir& dir, const char* name) { return QFile::encodeName(dir.path()) + '/' + name; }

QList<platform::DirEntry> entries(const QStringList& names)
{
    QList<platform::DirEntry> out;
    for (const QString& n : names)
        out.append({n.toUtf8(), n});
    return out;
}

// A harness whose only drive is the temporary directory, opened there.
void onDrive(Harness& h, const QTemporaryDir& dir)
{
    const QByteArray root = QFile::encodeName(dir.path());
    h.files->driveList = {{root, dir.path(), true}};
    h.files->current = root;
}

// Opens the subdirectory `name` of the open directory, as a double-click does.
void open(Harness& h, const QString& name)
{
    templates::DirectoryList* dir = h.forms->opncontents.controls().Dir1;
    for (int row = 0; row < dir->model()->rowCount(); ++row) {
        if (dir->model()->index(row, 0).data().toString().trimmed() == name) {
            dir->openRow(row);
            return;
        }
    }
    QFAIL(qPrintable(QStringLiteral("no entry ") + name));
}

}  // namespace

class ContentsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    void subdirectoriesBracketedInUpperCaseThenFiles()
    {
        QStringList list;
        QVERIFY(media::ContentsList::fill(list, entries({"Letters", "photos 2024", "straße"}),
                                          entries({"a.TXT", "Readme"})));
        QCOMPARE(list, (QStringList{"[LETTERS]", "[PHOTOS 2024]", "[STRASSE]", "a.TXT", "Readme"}));
    }

    void moreThan32767EntriesStopWithOverflow()
    {
        QStringList files;
        for (int i = 0; i < 32770; ++i)
            files << QStringLiteral("f%1").arg(i, 5, 10, QLatin1Char('0'));
        QStringList list;
        const ui::Result<void> filled = media::ContentsList::fill(list, entries({"d"}), entries(files));
        QCOMPARE(list.size(), 32767);
        QCOMPARE(list.first(), QStringLiteral("[D]"));
        QVERIFY(!filled && filled.error().number == 6);
        QVERIFY(media::ContentsList::fill(list, {}, entries(files.mid(0, 32767))));
    }

    void listingIsAlphabeticalCaseInsensitiveStableAndWithoutHiddenEntries()
    {
        QTemporaryDir dir;
        for (const char* d : {"beta", "Alpha", "10", "9", ".hidden-dir", "Émile"})
            QVERIFY(QDir(dir.path()).mkdir(QString::fromUtf8(d)));
        for (const char* f : {"b.txt", "B.txt", "a.txt", ".profile", "Zebra", "émoi"})
            touch(at(dir, f));
        const platform::Listing listing = platform::LocalFileSystem().list(QFile::encodeName(dir.path()));
        QStringList dirs, files;
        for (const auto& e : listing.directories)
            dirs << e.display;
        for (const auto& e : listing.files)
            files << e.display;
        QCOMPARE(dirs, (QStringList{"10", "9", "Alpha", "beta", "Émile"}));
        QCOMPARE(files, (QStringList{"a.txt", "B.txt", "b.txt", "Zebra", "émoi"}));
    }

    void linksLoopsAndUndecodableNamesAreListedNeverDropped()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("real")));
        QVERIFY(::symlink("real", at(dir, "link-to-dir")) == 0);
        QVERIFY(::symlink("nowhere", at(dir, "dangling")) == 0);
        QVERIFY(::symlink("loop", at(dir, "loop")) == 0);
        const QByteArray latin1 = at(dir, "caf\xe9.txt");  // not valid UTF-8
        touch(latin1);
        const QByteArray latin1Dir = at(dir, "r\xe9sum\xe9s");
        QVERIFY(::mkdir(latin1Dir.constData(), 0755) == 0);
        touch(latin1Dir + "/inside.txt");

        platform::LocalFileSystem fs;
        const platform::Listing listing = fs.list(QFile::encodeName(dir.path()));
        QCOMPARE(listing.directories.size(), 3);  // link-to-dir, real, résumés
        QCOMPARE(listing.files.size(), 3);        // café.txt, dangling, loop
        const auto undecodable = std::find_if(listing.directories.begin(), listing.directories.end(),
                                              [](const platform::DirEntry& e) { return e.name == "r\xe9sum\xe9s"; });
        QVERIFY(undecodable != listing.directories.end());
        QCOMPARE(undecodable->display, QStringLiteral("résumés"));
        // The stored bytes open it.
        const platform::Listing inside = fs.list(platform::joinPath(QFile::encodeName(dir.path()), undecodable->name));
        QCOMPARE(inside.files.size(), 1);
    }

    void updateFillsTheTemplateFromTheOpenDirectory()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("disk/Music")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("disk/letters")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("disk/Photos")));
        for (int i = 0; i < 30; ++i)
            touch(at(dir, QStringLiteral("disk/file%1.txt").arg(i, 2, 10, QLatin1Char('0')).toLatin1()));

        Harness h;
        onDrive(h, dir);
        h.forms->Tessera.Command2_Click();  // floppy: 20 fields
        h.forms->diskop.controls().Text1->setText(QStringLiteral("Backup"));
        h.forms->diskop.Command1_Click();
        auto& c = h.forms->opncontents.controls();
        QCOMPARE(c.Label1->text(), QStringLiteral("Please select a drive or directory folder that you wish to print."));
        QVERIFY(h.forms->opncontents.contents().isEmpty());  // loading does not build the list

        open(h, QStringLiteral("disk"));
        const QStringList list = h.forms->opncontents.contents();
        QCOMPARE(list.size(), 33);
        QCOMPARE(list.mid(0, 3), (QStringList{"[LETTERS]", "[MUSIC]", "[PHOTOS]"}));
        QCOMPARE(list.last(), QStringLiteral("file29.txt"));

        h.forms->diskop.controls().Text1->setText(QStringLiteral("Backup, renamed"));  // read at the press
        h.take();
        h.forms->opncontents.Command1_Click();
        QCOMPARE(h.take(), QStringList{"show DiskLabel"});
        QCOMPARE(h.forms->DiskLabel.Label1(0).caption(), QStringLiteral("[LETTERS]"));
        QCOMPARE(h.forms->DiskLabel.Label1(2).caption(), QStringLiteral("[PHOTOS]"));
        QCOMPARE(h.forms->DiskLabel.Label1(3).caption(), QStringLiteral("file00.txt"));
        QCOMPARE(h.forms->DiskLabel.Label1(19).caption(), QStringLiteral("file16.txt"));
        QCOMPARE(h.forms->DiskLabel.Label2(1).caption(), QStringLiteral("Backup, renamed"));
        QCOMPARE(h.messages->calls.size(), 0);

        // Fewer entries than fields: the rest are emptied, not left as they were.
        open(h, QStringLiteral("Music"));
        QVERIFY(h.forms->opncontents.contents().isEmpty());
        touch(QFile::encodeName(dir.path()) + "/disk/Music/song.ogg");
        h.forms->opncontents.controls().Dir1->setPath(c.Dir1->root(), c.Dir1->path());
        h.forms->opncontents.Command1_Click();
        QCOMPARE(h.forms->DiskLabel.Label1(0).caption(), QStringLiteral("song.ogg"));
        for (int i = 1; i < 20; ++i)
            QCOMPARE(h.forms->DiskLabel.Label1(i).caption(), QString());
    }

    void aSingleClickHighlightsEnterAndDoubleClickOpen()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("one/two")));
        Harness h;
        onDrive(h, dir);
        h.forms->opncontents.show();
        templates::DirectoryList* list = h.forms->opncontents.controls().Dir1;
        const QByteArray root = QFile::encodeName(dir.path());
        const QModelIndex one = list->model()->index(1, 0);  // root, then its subdirectory
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(one).center());
        QCOMPARE(list->path(), root);
        QCOMPARE(list->currentIndex(), one);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(list->path(), root + "/one");
        QCOMPARE(h.forms->opncontents.contents(), QStringList{"[TWO]"});
        const QModelIndex two = list->model()->index(2, 0);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(two).center());
        QCOMPARE(list->path(), root + "/one/two");
    }

    void updateBeforeAnyDirectoryWasOpenedClearsEveryFieldOfTheSleeve()
    {
        QTemporaryDir dir;
        Harness h;
        onDrive(h, dir);
        h.forms->Tessera.disktype = LabelKind::ZipSleeve;
        h.forms->ZipSleve.Label1(25).setCaption(QStringLiteral("old"));
        h.forms->opncontents.Command1_Click();
        for (int i = 0; i < 26; ++i)
            QCOMPARE(h.forms->ZipSleve.Label1(i).caption(), QString());
        QCOMPARE(h.forms->ZipSleve.Label2(0).caption(), QStringLiteral("Your Disk Name"));
        QCOMPARE(h.forms->ZipSleve.Label2(1).caption(), QStringLiteral("Your Disk Name"));
        // Nothing for a custom card.
        h.forms->Tessera.disktype = LabelKind::Custom;
        h.take();
        h.forms->opncontents.Command1_Click();
        QCOMPARE(h.take(), QStringList());
    }

    void aDriveWithoutMediumKeepsEverythingAndSaysSo()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        touch(at(dir, "sub/a"));
        Harness h;
        const QByteArray root = QFile::encodeName(dir.path());
        h.files->driveList = {{root, dir.path(), true}, {"/media/floppy", QStringLiteral("/media/floppy"), false}};
        h.files->current = root;
        h.forms->opncontents.show();
        open(h, QStringLiteral("sub"));
        const QStringList before = h.forms->opncontents.contents();
        QCOMPARE(before, QStringList{"a"});
        h.forms->opncontents.pickDrive(1);
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text, QStringLiteral("An error has occured:Device unavailable,Error No.68"));
        QCOMPARE(h.messages->calls[0].style, 0);
        QCOMPARE(h.messages->calls[0].title, QStringLiteral("Tessera v1.6"));
        QCOMPARE(h.forms->opncontents.contents(), before);
        QCOMPARE(h.forms->opncontents.controls().Drive1->currentIndex(), 1);
        QCOMPARE(h.forms->opncontents.controls().Dir1->path(), root + "/sub");
        // Picking the failed drive again is no change of drive: no second message.
        h.forms->opncontents.pickDrive(1);
        QCOMPARE(h.messages->calls.size(), 1);
        // Back to the open drive and out again: a change each time.
        h.forms->opncontents.pickDrive(0);
        QCOMPARE(h.forms->opncontents.controls().Dir1->path(), root + "/sub");
        h.forms->opncontents.pickDrive(1);
        QCOMPARE(h.messages->calls.size(), 2);
    }

    void eachDriveKeepsItsOwnCurrentDirectory()
    {
        QTemporaryDir a, b;
        QVERIFY(QDir(a.path()).mkdir(QStringLiteral("deep")));
        QVERIFY(QDir(b.path()).mkdir(QStringLiteral("other")));
        Harness h;
        const QByteArray ra = QFile::encodeName(a.path()), rb = QFile::encodeName(b.path());
        h.files->driveList = {{ra, a.path(), true}, {rb, b.path(), true}};
        h.files->current = ra;
        h.forms->opncontents.show();
        auto& c = h.forms->opncontents.controls();
        QCOMPARE(c.Drive1->currentIndex(), 0);
        QCOMPARE(c.Dir1->path(), ra);
        open(h, QStringLiteral("deep"));
        h.forms->opncontents.pickDrive(1);
        QCOMPARE(c.Dir1->path(), rb);  // another drive starts at its root
        open(h, QStringLiteral("other"));
        h.forms->opncontents.pickDrive(0);
        QCOMPARE(c.Dir1->path(), ra + "/deep");
        h.forms->opncontents.pickDrive(1);
        QCOMPARE(c.Dir1->path(), rb + "/other");
        // Ancestors from the drive's root, then the subdirectories.
        QCOMPARE(c.Dir1->model()->index(0, 0).data().toString(), b.path());
        QCOMPARE(c.Dir1->model()->index(1, 0).data().toString().trimmed(), QStringLiteral("other"));
    }

    void aDirectoryRemovedWhileOpenGivesTheRebuildMessage()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("gone/inner")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("stay")));
        touch(at(dir, "stay/kept.txt"));
        Harness h;
        onDrive(h, dir);
        h.forms->opncontents.show();
        open(h, QStringLiteral("stay"));
        open(h, dir.path());  // back to the root via the ancestor row
        QVERIFY(QDir(dir.filePath(QStringLiteral("gone"))).removeRecursively());
        const QStringList before = h.forms->opncontents.contents();
        open(h, QStringLiteral("gone"));
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text,
                 QStringLiteral("An error has occured while trying to change directories.Error No.76"));
        QCOMPARE(h.forms->opncontents.contents(), before);
        // It can still go back up.
        open(h, dir.path());
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.forms->opncontents.contents(), QStringList{"[STAY]"});
    }

    void aReadThatHangsWaitsBehindADialogThatCancelsAndChangesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("slow/inner")));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("stay")));
        Harness h(Harness::PrinterKind::Scripted, Harness::BusyKind::Dialog);
        onDrive(h, dir);
        h.forms->Tessera.disktype = LabelKind::Floppy;
        h.forms->opncontents.show();
        auto& c = h.forms->opncontents.controls();
        open(h, QStringLiteral("stay"));
        open(h, dir.path());
        const QStringList before = h.forms->opncontents.contents();
        // The folder's read hangs as on a dead network mount: it heeds no
        // request to stop.
        std::binary_semaphore release(0);
        std::atomic<bool> ended = false;
        const QByteArray slow = at(dir, "slow");
        h.files->beforeList = [&](const QByteArray& path) {
            if (path == slow) {
                release.try_acquire_for(std::chrono::seconds(10));
                ended = true;
            }
        };

        // What the user meets while it waits, then Escape.
        QWidget* dialog = nullptr;
        QStringList seen;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || dialog)
                return;
            dialog = modal;
            QVERIFY(modal->isVisible());
            QCOMPARE(modal->windowModality(), Qt::ApplicationModal);
            const std::function<void(QAccessibleInterface*)> read = [&](QAccessibleInterface* face) {
                seen << face->text(QAccessible::Name);
                for (int i = 0; i < face->childCount(); ++i)
                    read(face->child(i));
            };
            read(QAccessible::queryAccessibleInterface(modal));
            // Another window takes no click meanwhile.
            QPushButton* update = c.Command1;
            QTest::mouseClick(h.forms->opncontents.window()->windowHandle(), Qt::LeftButton, {},
                              update->mapTo(update->window(), update->rect().center()));
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        watch.start(20);
        h.take();
        open(h, QStringLiteral("slow"));
        watch.stop();
        QVERIFY(dialog);
        QVERIFY2(seen.contains(templates::ContentSelection::kReadingFolder), qPrintable(seen.join('|')));
        QVERIFY2(seen.contains(QStringLiteral("Cancel")), qPrintable(seen.join('|')));
        QCOMPARE(h.take(), QStringList());  // "Update" never ran
        QCOMPARE(c.Dir1->path(), QFile::encodeName(dir.path()));
        QCOMPARE(h.forms->opncontents.contents(), before);

        // When the read comes back at last, what it found is dropped.
        release.release();
        QTRY_VERIFY(ended);
        QTest::qWait(50);
        QCOMPARE(c.Dir1->path(), QFile::encodeName(dir.path()));
        QCOMPARE(h.forms->opncontents.contents(), before);
        QVERIFY(h.messages->calls.isEmpty());
    }

    void aHundredThousandEntriesOverflowAfterTheFirst32767()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("big")));
        const QByteArray big = at(dir, "big");
        for (int i = 0; i < 100000; ++i)
            touch(big + QByteArray("/n") + QByteArray::number(100000 + i));
        Harness h;
        onDrive(h, dir);
        h.forms->opncontents.show();
        open(h, QStringLiteral("big"));
        QCOMPARE(h.messages->calls.size(), 1);
        QCOMPARE(h.messages->calls[0].text,
                 QStringLiteral("An error has occured while trying to change directories.Error No.6"));
        const QStringList list = h.forms->opncontents.contents();
        QCOMPARE(list.size(), 32767);
        QCOMPARE(list.first(), QStringLiteral("n100000"));
        QCOMPARE(list.last(), QStringLiteral("n132766"));
    }

    void afterAPrintTheStepStartsAgainEmpty()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x")));
        Harness h;
        onDrive(h, dir);
        h.forms->Tessera.disktype = LabelKind::Cd;
        h.forms->opncontents.show();
        open(h, QStringLiteral("x"));
        h.forms->opncontents.Command2_Click();
        h.dialogs->printAnswers.push_back(platform::ScriptedDialogs::confirm());
        h.forms->readytoprint.Command1_Click();
        Harness::flush();
        h.forms->opncontents.show();
        QVERIFY(h.forms->opncontents.contents().isEmpty());
        QCOMPARE(h.forms->opncontents.controls().Dir1->path(), QFile::encodeName(dir.path()));
    }
};

QTEST_MAIN(ContentsTest)
#include "test_contents.moc"
