#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace templates {

// What a template says, free of widgets: its content fields Label1(0..N-1)
// and its disk-name fields Label2(0) and Label2(1). The template form owns
// it for the whole run; the canvas paints it and the wizard's steps edit it.
class TemplateText final : public QObject {
    Q_OBJECT
public:
    // The design texts, before anything is filled in.
    static inline const QString kContentDesign = QStringLiteral("Label1");
    static inline const QString kDiskNameDesign = QStringLiteral("Label2");

    explicit TemplateText(int fieldCount);

    int fieldCount() const { return int(content_.size()); }
    QString content(int index) const { return content_.value(index); }
    void setContent(int index, const QString& text);
    // Fills the content fields in order from `entries`, emptying the fields
    // beyond its end.
    void fill(const QStringList& entries);
    QString diskName(int index) const { return index == 0 || index == 1 ? diskName_[index] : QString(); }
    void setDiskName(int index, const QString& text);
    // Every field back to its design text.
    void reset();

Q_SIGNALS:
    void contentChanged(int index);
    void diskNameChanged(int index);

private:
    QStringList content_;
    QString diskName_[2];
};

}  // namespace templates
