#include "templates/ContentSelection.h"

#include "app/Forms.h"
#include "app/Help.h"
#include "media/ImageDrives.h"
#include "platform/MessageBox.h"
#include "templates/AutomaticContents.h"
#include "templates/DirectoryList.h"
#include "ui/Controls.h"
#include "ui/Error.h"
#include "ui/Units.h"

#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>

namespace templates {

namespace {
QListView* makeList(QWidget* parent, QStringListModel* model, int left, int top, int width, int height)
{
    auto* view = new QListView(parent);
    view->setModel(model);
    view->setGeometry(ui::pxRect(left, top, width, height));
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);
    return view;
}
}  // namespace

ContentSelectionControls::ContentSelectionControls() = default;
ContentSelectionControls::~ContentSelectionControls() = default;

ContentSelection::ContentSelection(Forms& forms)
    : FormWith(forms.registry, QStringLiteral("opncontents"),
               ui::WindowDesign{QStringLiteral("Content Selection"), 4575, 4425, false, 1200, 1770,
                                ui::Frame::SizableNoControls}),
      forms_(forms)
{
}

void ContentSelection::build(QWidget* client)
{
    auto& c = makeControls();
    c.Label1 = ui::makeLabel(client, QStringLiteral("Label1"), 120, 120, 4335, 255);
    c.Drive1 = new QComboBox(client);
    c.Drive1->setGeometry(ui::pxRect(120, 480, 1935, 315));
    c.files = std::make_unique<media::ImageDrives>(forms_.context.files());
    c.Dir1 = new DirectoryList(client);
    c.Dir1->setGeometry(ui::pxRect(120, 840, 1935, 3015));
    c.List1Model = new QStringListModel(client);
    c.List1 = makeList(client, c.List1Model, 2160, 480, 2295, 3405);
    c.List1->setSelectionMode(QAbstractItemView::NoSelection);
    c.Command5 = ui::makeButton(client, QStringLiteral("Help"), 1200, 4080, 975, 255);
    c.Command1 = ui::makeButton(client, QStringLiteral("Update"), 2280, 4080, 1095, 255);
    c.Command3 = ui::makeButton(client, QStringLiteral("Go Back"), 120, 4080, 975, 255);
    c.Command2 = ui::makeButton(client, QStringLiteral("Finish"), 3480, 4080, 975, 255);

    ui::onClick(c.Command5, [this] { Command5_Click(); });
    ui::onClick(c.Command1, [this] { Command1_Click(); });
    ui::onClick(c.Command3, [this] { Command3_Click(); });
    ui::onClick(c.Command2, [this] { Command2_Click(); });
    QObject::connect(c.Drive1, &QComboBox::activated, c.Drive1, [this](int index) { pickDrive(index); });
    QObject::connect(c.Dir1, &DirectoryList::changed, c.Dir1, [this] { Dir1_Change(); });
    QObject::connect(c.Dir1, &DirectoryList::folderWanted, c.Dir1,
                     [this](const QByteArray& root, const QByteArray& path) { openFolder(root, path); });
}

int ContentSelection::driveOf(const QByteArray& path) const
{
    int best = -1;
    qsizetype bestLength = -1;
    const QList<platform::Drive>& drives = controls_->drives;
    for (int i = 0; i < drives.size(); ++i) {
        const QByteArray& root = drives[i].root;
        if (drives[i].mounted && platform::isUnder(path, root) && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    return best;
}

void ContentSelection::Form_Load()
{
    auto& c = controls();
    c.Label1->setText(kInstruction);
    ui::fitText(c.Label1);
    c.drives = forms_.context.files().drives();
    for (const platform::Drive& drive : c.drives)
        c.Drive1->addItem(drive.label);
    c.Drive1->addItem(kImageItem);

    // The lists start at the process's current directory; the contents list
    // stays empty until the open directory first changes.
    const QByteArray current = forms_.context.files().currentDirectory();
    shownDrive_ = driveOf(current);
    const QByteArray root = shownDrive_ >= 0 ? c.drives[shownDrive_].root : QByteArray("/");
    c.Drive1->setCurrentIndex(shownDrive_);
    listedDrive_ = shownDrive_;
    driveDirectories.insert(root, current);
    // A directory that cannot be read, or whose reading is cancelled, opens
    // empty.
    ui::Result<platform::Listing> folder = platform::Listing();
    try {
        if (std::optional<media::ImageDrives::Read> found = read(kReadingFolder, c.files->reader(current)))
            folder = std::move(found->folder);
    } catch (const ui::Error&) {
    }
    c.Dir1->setFolderQuietly(root, current, std::move(folder));
}

const QStringList& ContentSelection::contents() { return controls().contents; }

void ContentSelection::showContents(QStringList contents)
{
    auto& c = controls();
    c.contents = std::move(contents);
    c.List1Model->setStringList(c.contents);
}

void ContentSelection::pickDrive(int index)
{
    auto& c = controls();
    if (index == c.drives.size()) {
        pickImage();
        return;
    }
    if (index < 0 || index > c.drives.size())
        return;
    // The list reacts only to a change of drive: picking again the drive it
    // shows, even one that just failed, does nothing.
    if (index == listedDrive_)
        return;
    listedDrive_ = index;
    c.Drive1->setCurrentIndex(index);
    // Going back to the drive that is open needs no new listing.
    if (index != shownDrive_)
        Drive1_Change();
}

void ContentSelection::Drive1_Change()
{
    auto& c = controls();
    const int index = c.Drive1->currentIndex();
    if (index < 0 || index >= c.drives.size())
        return;
    const platform::Drive drive = c.drives[index];
    const QByteArray path = driveDirectories.value(drive.root, drive.root);
    std::optional<media::ImageDrives::Read> found;
    try {
        found = read(kReadingFolder, c.files->reader(path, drive));
    } catch (const ui::Error& error) {
        // A drive that cannot be read leaves the directory list where it
        // was; the drive list keeps the pick.
        driveMessage(error);
        return;
    }
    if (!found) {
        // Cancelled: the drive list shows the open drive again.
        listedDrive_ = shownDrive_;
        c.Drive1->setCurrentIndex(shownDrive_);
        return;
    }
    shownDrive_ = index;
    c.Dir1->setFolder(drive.root, path, std::move(found->folder));
}

std::optional<media::ImageDrives::Read> ContentSelection::read(const QString& text, media::ImageDrives::Reader reader)
{
    std::optional<media::ImageDrives::Read> found = forms_.context.busy().run(window(), text, std::move(reader));
    if (found && found->image)
        controls().files->keep(found->image);
    return found;
}

void ContentSelection::openFolder(const QByteArray& root, const QByteArray& path)
{
    try {
        if (std::optional<media::ImageDrives::Read> found = read(kReadingFolder, controls().files->reader(path)))
            controls().Dir1->setFolder(root, path, std::move(found->folder));
    } catch (const ui::Error& error) {
        driveMessage(error);
    }
}

void ContentSelection::driveMessage(const ui::Error& error)
{
    forms_.context.messages().show(window(), QStringLiteral("An error has occured:") + error.description +
                                                 QStringLiteral(",Error No.") + QString::number(error.number));
}

void ContentSelection::pickImage()
{
    auto& c = controls();
    // Whatever comes of it, the list shows a drive, not the command.
    c.Drive1->setCurrentIndex(listedDrive_);
    const auto chosen = forms_.context.dialogs().openFile(window(), kImageFilter, imageFile_);
    if (!chosen)
        return;
    imageFile_ = *chosen;
    // Read afresh on every pick: an image open already at the folder it was
    // left at, another at its root.
    const QByteArray root = media::ImageDrives::rootOf(*chosen);
    int index = 0;
    while (index < c.drives.size() && c.drives[index].root != root)
        ++index;
    const QByteArray path = index < c.drives.size() ? driveDirectories.value(root, root) : root;
    std::optional<media::ImageDrives::Read> found;
    try {
        found = read(kReadingImage, media::ImageDrives::opener(*chosen, path));
    } catch (const ui::Error& error) {
        driveMessage(error);
        return;
    }
    if (!found)
        return;
    if (index == c.drives.size()) {
        const platform::Drive drive = media::ImageDrives::driveOf(*found->image);
        c.drives.append(drive);
        c.Drive1->insertItem(index, drive.label);
        // Two images of the same name are told apart by their folders.
        c.files->tellApart(c.drives);
        for (int i = 0; i < c.drives.size(); ++i)
            c.Drive1->setItemText(i, c.drives[i].label);
    }
    c.Drive1->setCurrentIndex(index);
    listedDrive_ = shownDrive_ = index;
    c.Dir1->setFolder(root, path, std::move(found->folder));
}

void ContentSelection::Dir1_Change()
{
    auto& c = controls();
    driveDirectories.insert(c.Dir1->root(), c.Dir1->path());
    // A directory that could not be read stops the rebuild here.
    AutomaticContents made = automaticContents(c.Dir1->folder());
    if (made.entries)
        showContents(std::move(*made.entries));
    if (!made.problem.isEmpty())
        forms_.context.messages().show(window(), made.problem);
}

void ContentSelection::Command1_Click()
{
    LabelTemplate* label = forms_.templateOfJob();
    if (!label)
        return;
    label->use();
    label->text().fill(contents());
    label->setDiskName(forms_.diskop.diskName());
    label->show();
}

void ContentSelection::Command2_Click()
{
    forms_.hideWizard();
    forms_.readytoprint.show();
}

void ContentSelection::Command3_Click()
{
    forms_.hideWizard();
    forms_.Tessera.show();
}

void ContentSelection::Command5_Click() { showHelp(forms_, *this, design().caption); }

}  // namespace templates
