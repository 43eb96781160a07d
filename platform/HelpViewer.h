#pragma once

#include <QList>
#include <QString>
#include <memory>
#include <optional>

#include "ui/Error.h"

class QProcess;
class QWidget;

namespace platform {

// The system help viewer.
class HelpViewer {
public:
    enum Command : int { PartialKey = 0x105 };
    virtual ~HelpViewer() = default;
    // Asks the viewer to open `helpFile`; with PartialKey and an empty
    // keyword, at its keyword index with nothing typed in. Raises an Error
    // when the viewer cannot be started; problems the viewer has with the
    // file are its own.
    virtual void open(QWidget* owner, const QString& helpFile, int command, const QString& keyword) = 0;
};

// Qt Assistant, started as its own process and steered through its
// remote-control input.
class AssistantHelpViewer final : public HelpViewer {
public:
    explicit AssistantHelpViewer(QString program = defaultProgram());
    ~AssistantHelpViewer() override;
    void open(QWidget* owner, const QString& helpFile, int command, const QString& keyword) override;
    static QString defaultProgram();

private:
    QString program_;
    QString collection_;
    std::unique_ptr<QProcess> process_;
};

}  // namespace platform
