#include "platform/MessageBox.h"

#include "ui/AppInfo.h"

#include <QMessageBox>

namespace platform {

int MessageBox::show(QWidget* owner, const QString& text, int style, const QString& title)
{
    return ask(owner, text, style, title.isEmpty() ? ui::AppInfo::title : title);
}

int QtMessageBox::ask(QWidget* owner, const QString& text, int style, const QString& title)
{
    QMessageBox box(owner);
    box.setWindowTitle(title);
    box.setText(text);
    box.setWindowModality(Qt::ApplicationModal);
    if ((style & 0x0F) == YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setIcon((style & 0xF0) == Information ? QMessageBox::Information : QMessageBox::NoIcon);
    const int pressed = box.exec();
    if (pressed == QMessageBox::Yes)
        return Yes;
    if (pressed == QMessageBox::No)
        return No;
    return Ok;
}

}  // namespace platform
