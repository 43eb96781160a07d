#include "platform/HelpViewer.h"

#include "ui/Error.h"

#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>

namespace platform {

namespace {

// What Assistant's remote control is sent for a request. It splits its input
// into commands at ";" and ends one at a line break, with no way to escape
// either: a keyword keeps its other characters and loses those, so that it
// can never end its command and start another.
QByteArray remoteRequest(int command, const QString& keyword)
{
    QByteArray request = "show index;";
    QString key;
    for (const QChar c : keyword) {
        if (c != QLatin1Char(';') && c.category() != QChar::Other_Control && c != QChar::LineSeparator &&
            c != QChar::ParagraphSeparator)
            key += c;
    }
    if (command == HelpViewer::PartialKey && !key.isEmpty())
        request += "activateKeyword " + key.toUtf8() + ';';
    return request + '\n';
}

}  // namespace

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
            throw ui::Error::of(ui::Error::FileNotFound,
                                QStringLiteral("The help viewer (%1) could not be started: %2").arg(program_, why));
        }
        collection_ = helpFile;
    }
    process_->write(remoteRequest(command, keyword));
}

}  // namespace platform
