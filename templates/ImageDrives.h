#pragma once

#include "ui/DiskImage.h"
#include "ui/FileSystem.h"

#include <memory>
#include <utility>

namespace templates {

// The file system as content selection sees it: the machine's drives, and
// the disk images opened as drives of their own. An image's root is its
// file's path; the folders inside it lie below that root.
class ImageDrives final : public ui::FileSystem {
public:
    explicit ImageDrives(ui::FileSystem& base) : base_(base) {}

    QList<ui::Drive> drives() override { return base_.drives(); }
    QByteArray currentDirectory() override { return base_.currentDirectory(); }
    void checkDrive(const ui::Drive& drive) override;
    ui::Listing list(const QByteArray& path) override;

    // Makes an opened image a drive, labelled with its file name.
    ui::Drive add(std::shared_ptr<const ui::DiskImage> image);
    // The root an image file has as a drive.
    static QByteArray rootOf(const QString& imagePath);

private:
    // The image a path lies in, and the folder inside it.
    std::pair<const ui::DiskImage*, QByteArray> find(const QByteArray& path) const;

    ui::FileSystem& base_;
    QList<std::pair<QByteArray, std::shared_ptr<const ui::DiskImage>>> images_;
};

}  // namespace templates
