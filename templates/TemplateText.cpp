#include "templates/TemplateText.h"

namespace templates {

TemplateText::TemplateText(int fieldCount)
{
    for (int i = 0; i < fieldCount; ++i)
        content_.append(kContentDesign);
    diskName_[0] = diskName_[1] = kDiskNameDesign;
}

void TemplateText::setContent(int index, const QString& text)
{
    if (index < 0 || index >= content_.size() || content_[index] == text)
        return;
    content_[index] = text;
    Q_EMIT contentChanged(index);
}

void TemplateText::fill(const QStringList& entries)
{
    for (int i = 0; i < fieldCount(); ++i)
        setContent(i, entries.value(i));
}

void TemplateText::setDiskName(int index, const QString& text)
{
    if ((index != 0 && index != 1) || diskName_[index] == text)
        return;
    diskName_[index] = text;
    Q_EMIT diskNameChanged(index);
}

void TemplateText::reset()
{
    for (int i = 0; i < fieldCount(); ++i)
        setContent(i, kContentDesign);
    setDiskName(0, kDiskNameDesign);
    setDiskName(1, kDiskNameDesign);
}

}  // namespace templates
