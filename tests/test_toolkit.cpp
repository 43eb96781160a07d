// The toolkit layer on its own: colours, units, the common dialog, pictures,
// message box titles, fonts and the mount table.

#include "support/Harness.h"

#include "app/Startup.h"
#include "templates/DirectoryList.h"

#include "ui/CommonDialog.h"
#include "ui/FontDialog.h"
#include "ui/Fonts.h"
#include "ui/SystemColors.h"
#include "ui/Units.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

class ToolkitTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { configureTestApplication(); }

    void colourValues()
    {
        QCOMPARE(ui::color(0x000000FF), QColor(255, 0, 0));  // red in the low byte
        QCOMPARE(ui::color(0x00FF8080), QColor(128, 128, 255));
        QCOMPARE(ui::color(ui::syscolor::ButtonFace), QColor(0xC0, 0xC0, 0xC0));
        QCOMPARE(ui::color(ui::syscolor::Window), QColor(Qt::white));
        QCOMPARE(ui::color(ui::syscolor::CaptionText), QColor(Qt::white));
        QCOMPARE(ui::color(ui::syscolor::ButtonShadow), QColor(0x80, 0x80, 0x80));
        QCOMPARE(ui::color(ui::syscolor::ButtonText), QColor(Qt::black));
        QVERIFY(!ui::resolveColor(0x80000019));  // no such system colour
        QVERIFY(!ui::resolveColor(0x01000000));
        QCOMPARE(qint32(ui::syscolor::ButtonFace), qint32(-2147483633));
        QCOMPARE(ui::rgb(1, 2, 3), quint32(0x030201));
    }

    void unitConversions()
    {
        QCOMPARE(ui::px(4425), 295);
        QCOMPARE(ui::pxRect(120, 240, 2295, 255), QRect(8, 16, 153, 17));
        QVERIFY(qAbs(ui::twipsToMm(4080) - 71.967) < 0.001);
        QVERIFY(qAbs(ui::mmToTwips(25.4) - 1440) < 1e-9);
        QVERIFY(qAbs(ui::pxToMm(ui::mmToPx(15.61)) - 15.61) < 1e-9);
    }

    void designFontsMapToInstalledLookAlikes()
    {
        QCOMPARE(QFontInfo(ui::designFont(ui::fontname::SansSerif, 8)).family(), QStringLiteral("Liberation Sans"));
        QCOMPARE(QFontInfo(ui::designFont(ui::fontname::Serif, 6)).family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(QFontInfo(ui::designFont(ui::fontname::Condensed, 9.75)).family(),
                 QStringLiteral("Liberation Sans Narrow"));
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("Liberation Sans"));
        // Fonts named elsewhere by their design name find the look-alike too.
        QCOMPARE(QFontInfo(QFont(ui::fontname::Serif)).family(), QStringLiteral("Liberation Serif"));
        QCOMPARE(QApplication::font().pointSizeF(), 8.0);
    }

    void filtersBecomeQtFilters()
    {
        QCOMPARE(ui::CommonDialog::qtFilter(QStringLiteral("Tessera Files (*.lab)|*.lab")),
                 QStringLiteral("Tessera Files (*.lab)"));
        QCOMPARE(ui::CommonDialog::qtFilter(
                     QStringLiteral("Bitmap Files (*.bmp)|*.bmp|Jpeg Files(*.jpg)|*.jpg|Gif Files (*.gif)|*.gif")),
                 QStringLiteral("Bitmap Files (*.bmp);;Jpeg Files(*.jpg);;Gif Files (*.gif)"));
        QCOMPARE(ui::CommonDialog::qtFilter(QStringLiteral("Pictures|*.bmp;*.gif")),
                 QStringLiteral("Pictures (*.bmp;*.gif)"));
    }

    void commonDialogRemembersTheNameAndRaisesCancelOnlyWhenAsked()
    {
        Harness h;
        ui::CommonDialog dialog(*h.context, [] { return nullptr; });
        h.dialogs->openAnswers.push_back(QStringLiteral("/home/u/card.lab"));
        QVERIFY(dialog.ShowOpen());
        QCOMPARE(dialog.FileName, QStringLiteral("/home/u/card.lab"));
        h.dialogs->saveAnswers.push_back(std::nullopt);
        QVERIFY(!dialog.ShowSave());  // cancel, quietly
        QCOMPARE(dialog.FileName, QStringLiteral("/home/u/card.lab"));
        dialog.CancelError = true;
        try {
            dialog.ShowOpen();
            QFAIL("cancel raised nothing");
        } catch (const ui::Error& error) {
            QCOMPARE(error.number, 32755);
        }
        dialog.Flags = 0x103;
        platform::FontChoice choice;
        choice.name = QStringLiteral("MS Serif");
        choice.size = 8.25;
        choice.strikethru = true;
        choice.color = ui::rgb(0, 0, 128);
        h.dialogs->fontAnswers.push_back(choice);
        QVERIFY(dialog.ShowFont());
        QCOMPARE(dialog.Font, choice);
        QCOMPARE(h.dialogs->fontFlags, QList<int>{0x103});
    }

    void realFontDialogReturnsEffectsAndColour()
    {
        platform::FontChoice initial;
        initial.name = QStringLiteral("Liberation Serif");
        initial.size = 12;
        initial.underline = true;
        initial.color = ui::rgb(255, 0, 0);
        ui::FontDialog dialog(nullptr, initial, true);
        const platform::FontChoice out = dialog.choice();
        QCOMPARE(out.name, QStringLiteral("Liberation Serif"));
        QCOMPARE(out.size, 12.0);
        QVERIFY(out.underline);
        QVERIFY(!out.strikethru);
        QCOMPARE(out.color, ui::rgb(255, 0, 0));

        // Sizes may be fractional, above 0 and as large as a label holds.
        auto* size = dialog.findChild<QLineEdit*>(QStringLiteral("size"));
        QVERIFY(size);
        QCOMPARE(size->accessibleName(), QStringLiteral("Size"));
        QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        size->clear();
        QVERIFY(!ok->isEnabled());
        QTest::keyClicks(size, QStringLiteral("8.25"));
        QVERIFY(ok->isEnabled());
        QCOMPARE(dialog.choice().size, 8.25);
        size->clear();
        QTest::keyClicks(size, QStringLiteral("20480"));
        QCOMPARE(size->text(), QStringLiteral("2048"));
        QCOMPARE(dialog.choice().size, 2048.0);
    }

    void picturesFailWithTheClassicNumbers()
    {
        QTemporaryDir dir;
        platform::FilePictures pictures;
        const auto number = [&](const QString& path) {
            try {
                pictures.load(path);
                return 0;
            } catch (const ui::Error& e) {
                return e.number;
            }
        };
        QCOMPARE(number(dir.filePath(QStringLiteral("missing.bmp"))), 53);
        QCOMPARE(number(dir.path()), 53);
        QFile junk(dir.filePath(QStringLiteral("junk.gif")));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("GIF89a this is not a picture");
        junk.close();
        QCOMPARE(number(junk.fileName()), 481);
        // A BMP header claiming 60000 x 60000 pixels is refused before decoding.
        QByteArray bmp("BM");
        bmp.append(QByteArray(12, '\0'));
        QDataStream header(&bmp, QIODevice::Append);
        header.setByteOrder(QDataStream::LittleEndian);
        header << quint32(40) << qint32(60000) << qint32(60000) << quint16(1) << quint16(24) << quint32(0) << quint32(0)
               << qint32(0) << qint32(0) << quint32(0) << quint32(0);
        QFile huge(dir.filePath(QStringLiteral("huge.bmp")));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        huge.write(bmp);
        huge.close();
        QCOMPARE(number(huge.fileName()), 481);
        QImage good(8, 4, QImage::Format_RGB32);
        good.fill(Qt::red);
        QVERIFY(good.save(dir.filePath(QStringLiteral("good.bmp"))));
        QCOMPARE(pictures.load(dir.filePath(QStringLiteral("good.bmp"))).size(), QSize(8, 4));

        // Pictures cut short are refused, not drawn in part; upper-case
        // extensions load as well as lower-case ones.
        QImage photo(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < photo.height(); ++y)
            for (int x = 0; x < photo.width(); ++x)
                photo.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
        for (const char* name : {"PHOTO.JPG", "photo.bmp"}) {
            const QString path = dir.filePath(QLatin1String(name));
            QVERIFY(photo.save(path));
            QCOMPARE(pictures.load(path).size(), QSize(400, 300));
            QFile full(path);
            QVERIFY(full.open(QIODevice::ReadOnly));
            const QByteArray bytes = full.readAll();
            full.close();
            const QString cut = dir.filePath(QStringLiteral("cut-") + QLatin1String(name));
            QFile part(cut);
            QVERIFY(part.open(QIODevice::WriteOnly));
            part.write(bytes.left(bytes.size() * 2 / 3));
            part.close();
            QCOMPARE(number(cut), 481);
            try {
                pictures.load(cut);
            } catch (const ui::Error& e) {
                QVERIFY2(e.description.contains(QStringLiteral("cut short")), qPrintable(e.description));
            }
        }
    }

    // A GIF ends at its trailer: bytes after it (common in older files) are
    // no damage, and a stream that stops before it is cut short, even where
    // its last byte looks like a trailer.
    void gifPicturesEndAtTheirTrailer()
    {
        QTemporaryDir dir;
        // One white pixel, then a comment holding ";;", then the trailer.
        const QByteArray gif = QByteArray::fromHex(
            "474946383961010001008000"
            "00ffffff000000"
            "2c00000000010001000002024401"
            "00"
            "21fe023b3b00"
            "3b");
        platform::FilePictures pictures;
        const auto refusal = [&](const char* name, const QByteArray& bytes) {
            QFile file(dir.filePath(QLatin1String(name)));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
                return QStringLiteral("not written");
            file.close();
            try {
                pictures.load(file.fileName());
                return QString();
            } catch (const ui::Error& e) {
                return e.description;
            }
        };
        QCOMPARE(refusal("after.gif", gif + "\r\n saved by an old editor"), QString());
        QCOMPARE(refusal("cut.gif", gif.chopped(2)),
                 QStringLiteral("Invalid picture (the file is damaged or cut short)"));
    }

    void messageBoxTitleDefaultsToTheApplicationTitle()
    {
        platform::ScriptedMessageBox box;
        box.answers = {6};
        QCOMPARE(box.show(nullptr, QStringLiteral("Sure?"), 4, QStringLiteral("Label Deletion")), 6);
        QCOMPARE(box.show(nullptr, QStringLiteral("Note")), 1);
        QCOMPARE(box.calls[0].title, QStringLiteral("Label Deletion"));
        QCOMPARE(box.calls[1].title, QStringLiteral("Tessera v1.6"));
        QCOMPARE(box.calls[1].style, 0);
    }

    void withoutADisplayTheProgramSaysSoInsteadOfCrashing()
    {
        const QByteArray platform = qgetenv("QT_QPA_PLATFORM"), display = qgetenv("DISPLAY"),
                         wayland = qgetenv("WAYLAND_DISPLAY");
        qunsetenv("QT_QPA_PLATFORM");
        qunsetenv("WAYLAND_DISPLAY");
        qunsetenv("DISPLAY");
        QVERIFY(displayProblem({}).contains(QStringLiteral("no display")));
        qputenv("DISPLAY", ":4711");
        QVERIFY(displayProblem({}).contains(QStringLiteral(":4711")));
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QVERIFY(displayProblem({}).isEmpty());
        qputenv("QT_QPA_PLATFORM", platform);
        qputenv("DISPLAY", display);
        qputenv("WAYLAND_DISPLAY", wayland);
    }

    void mountTableGivesRealVolumesAndEmptyRemovableDrives()
    {
        using FS = platform::LocalFileSystem;
        const auto mounts = FS::parseMountTable(
            "overlay / overlay rw 0 0\n"
            "proc /proc proc rw 0 0\n"
            "tmpfs /run tmpfs rw 0 0\n"
            "/dev/sdb1 /media/u/My\\040Disk vfat rw 0 0\n"
            "sysfs /sys sysfs rw 0 0\n");
        QCOMPARE(mounts.size(), 5);
        QCOMPARE(mounts[3].mountPoint, QByteArray("/media/u/My Disk"));
        QVERIFY(!FS::isPseudoFileSystem(mounts[0]));
        QVERIFY(FS::isPseudoFileSystem(mounts[1]));
        QVERIFY(FS::isPseudoFileSystem(mounts[2]));
        QVERIFY(!FS::isPseudoFileSystem(mounts[3]));
        const auto fstab = FS::parseMountTable(
            "# comment\n"
            "UUID=1234 / ext4 errors=remount-ro 0 1\n"
            "/dev/fd0 /media/floppy0 auto rw,user,noauto 0 0\n"
            "/dev/sr0 /media/cdrom0 udf,iso9660 user,noauto 0 0\n"
            "/dev/sdc1 /mnt/zip vfat rw 0 0\n");
        QCOMPARE(fstab.size(), 4);
        QVERIFY(!FS::isRemovableMountPoint(fstab[0]));
        QVERIFY(FS::isRemovableMountPoint(fstab[1]));
        QVERIFY(FS::isRemovableMountPoint(fstab[2]));
        QVERIFY(FS::isRemovableMountPoint(fstab[3]));
        // One rule says what lies below a drive's root: not a sibling that
        // merely starts with the same letters.
        QVERIFY(platform::isUnder("/media/u/disk", "/media/u"));
        QVERIFY(platform::isUnder("/media/u", "/media/u"));
        QVERIFY(!platform::isUnder("/media/u2", "/media/u"));
        QVERIFY(platform::isUnder("/media/u2", "/"));
        templates::DirectoryModel sibling;
        sibling.reset("/media/u", "/media/u2/x", {});
        QCOMPARE(sibling.rowCount(), 1);  // no ancestors climbed through a sibling
        platform::LocalFileSystem fs;
        try {
            fs.checkDrive({"/media/floppy0", QStringLiteral("/media/floppy0"), false});
            QFAIL("an empty drive raised nothing");
        } catch (const ui::Error& e) {
            QCOMPARE(e.number, 68);
        }
        // This machine's drives include its root and the drive of its
        // current directory.
        const QList<platform::Drive> drives = fs.drives();
        QVERIFY(std::any_of(drives.begin(), drives.end(), [](const platform::Drive& d) { return d.root == "/"; }));
        const QByteArray cwd = fs.currentDirectory();
        QVERIFY(std::any_of(drives.begin(), drives.end(), [&](const platform::Drive& d) {
            return d.mounted && (d.root == "/" || cwd == d.root || cwd.startsWith(d.root + '/'));
        }));
    }
};

QTEST_MAIN(ToolkitTest)
#include "test_toolkit.moc"
