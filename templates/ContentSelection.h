#pragma once

#include "media/ImageDrives.h"
#include "platform/FileSystem.h"
#include "ui/Error.h"
#include "ui/FormWith.h"

#include <QHash>
#include <QStringList>
#include <memory>

class Forms;
class QComboBox;
class QLabel;
class QListView;
class QPushButton;
class QStringListModel;

namespace templates {

class DirectoryList;

struct ContentSelectionControls {
    ContentSelectionControls();
    ~ContentSelectionControls();
    std::unique_ptr<media::ImageDrives> files;  // the drives and the images opened here
    QLabel* Label1 = nullptr;
    QComboBox* Drive1 = nullptr;
    DirectoryList* Dir1 = nullptr;
    QListView* List1 = nullptr;
    QStringListModel* List1Model = nullptr;  // displays `contents`
    QPushButton* Command5 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command2 = nullptr;
    QList<platform::Drive> drives;  // the machine's, then the images; "Disk image..." follows in Drive1
    QStringList contents;           // the contents list of the open directory
};

// Fills the job's template from a directory listing.
class ContentSelection final : public ui::FormWith<ContentSelectionControls> {
public:
    explicit ContentSelection(Forms& forms);

    static inline const QString kImageItem = QStringLiteral("Disk image...");
    static inline const QString kImageFilter =
        QStringLiteral("Disk images (*.img *.ima *.flp *.vfd *.dsk *.iso);;All files (*)");
    static inline const QString kInstruction =
        QStringLiteral("Please select a drive or directory folder that you wish to print.");
    static inline const QString kReadingFolder = QStringLiteral("Reading the folder. Please wait.");
    static inline const QString kReadingImage = QStringLiteral("Reading the disk image. Please wait.");

    // The directory each drive was last left at, for the whole run.
    QHash<QByteArray, QByteArray> driveDirectories;

    // The contents list as it stands.
    const QStringList& contents();

    // Picks drive `index` of the drive list, as the user does.
    void pickDrive(int index);

    void Drive1_Change();
    void Dir1_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command5_Click();

protected:
    void build(QWidget* client) override;
    void Form_Load() override;

private:
    int driveOf(const QByteArray& path) const;
    // "Disk image...": opens an image file as a drive of its own.
    void pickImage();
    void driveMessage(const ui::Error& error);
    // Runs `reader` on a worker while the user waits, and keeps an image it
    // read afresh. Nothing when the user cancelled; raises the Error of a
    // drive that could not be read.
    std::optional<media::ImageDrives::Read> read(const QString& text, media::ImageDrives::Reader reader);
    // Reads and shows the folder Dir1 asks for; a drive that cannot be read
    // says so and leaves it as it is.
    void openFolder(const QByteArray& root, const QByteArray& path);
    void showContents(QStringList contents);
    Forms& forms_;
    int shownDrive_ = -1;
    int listedDrive_ = -1;  // the drive the drive list shows, which may have failed
    QString imageFile_;     // the image file chosen last
};

}  // namespace templates
