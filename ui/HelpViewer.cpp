#include "ui/HelpViewer.h"

#include "ui/Error.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>

namespace ui {

AssistantHelpViewer::AssistantHelpViewer(QString program) : program_(std::move(program)) {}

AssistantHelpViewer::~AssistantHelpViewer()
{
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->closeWriteChannel();
        process_->terminate();
        if (!process_->waitForFinished(2000))
            process_->kill();
    }
}

QString AssistantHelpViewer::defaultProgram()
{
    const QString bundled = QLibraryInfo::path(QLibraryInfo::BinariesPath) + QStringLiteral("/assistant");
    return QFileInfo(bundled).isExecutable() ? bundled : QStringLiteral("assistant");
}

void AssistantHelpViewer::open(QWidget*, const QString& helpFile, int command, const QString& keyword)
{
    const bool running = process_ && process_->state() == QProcess::Running && collection_ == helpFile;
    if (!running) {
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_->setStandardOutputFile(QProcess::nullDevice());
        process_->start(program_,
                        {QStringLiteral("-collectionFile"), helpFile, QStringLiteral("-enableRemoteControl")});
        if (!process_->waitForStarted(10000)) {
            const QString why = process_->errorString();
            process_.reset();
            throw Error::of(Error::FileNotFound,
                            QStringLiteral("The help viewer (%1) could not be started: %2").arg(program_, why));
        }
        collection_ = helpFile;
    }
    QByteArray request = "show index;";
    if (command == PartialKey && !keyword.isEmpty())
        request += "activateKeyword " + keyword.toUtf8() + ';';
    process_->write(request + '\n');
}

}  // namespace ui
