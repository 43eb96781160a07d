#include "ui/testing/Scripted.h"

#include "ui/Units.h"

#include <QEventLoop>
#include <QPainter>
#include <QPrinter>
#include <QTimer>

namespace ui::testing {

int ScriptedMessageBox::ask(QWidget*, const QString& text, int style, const QString& title)
{
    calls.append({text, style, title});
    if (whileOpen)
        whileOpen();
    if (answers.empty())
        return Ok;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

namespace {
template <typename T>
T next(std::deque<T>& queue, T fallback)
{
    if (queue.empty())
        return fallback;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}
}  // namespace

std::optional<QString> ScriptedDialogs::openFile(QWidget*, const QString& filter, const QString&)
{
    filters.append(filter);
    return next(openAnswers, std::optional<QString>());
}

std::optional<QString> ScriptedDialogs::saveFile(QWidget*, const QString& filter, const QString&)
{
    filters.append(filter);
    return next(saveAnswers, std::optional<QString>());
}

std::optional<FontChoice> ScriptedDialogs::chooseFont(QWidget*, const FontChoice&, int flags)
{
    fontFlags.append(flags);
    return next(fontAnswers, std::optional<FontChoice>());
}

bool ScriptedDialogs::printSetup(QWidget*, Printer& printer)
{
    ++printSetups;
    auto answer = next(printAnswers, cancel());
    return answer(printer);
}

std::function<bool(Printer&)> ScriptedDialogs::chooseQueue(const QString& queue)
{
    return [queue](Printer& printer) {
        printer.device().setOutputFormat(QPrinter::NativeFormat);
        printer.device().setPrinterName(queue);
        return true;
    };
}

std::function<bool(Printer&)> ScriptedDialogs::chooseFile(const QString& path)
{
    return [path](Printer& printer) {
        printer.device().setOutputFormat(QPrinter::PdfFormat);
        printer.device().setOutputFileName(path);
        return true;
    };
}

ScriptedPrinter::ScriptedPrinter() = default;
ScriptedPrinter::~ScriptedPrinter() = default;

QPrinter& ScriptedPrinter::device()
{
    if (!device_)
        device_ = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    return *device_;
}

void ScriptedPrinter::printPage(const Printable& label, const QString& jobName)
{
    if (failWith) {
        const Error error = *failWith;
        failWith.reset();
        throw error;
    }
    const QSizeF mm = label.sizeMm();
    const QSize size(qRound(mmToPx(mm.width())), qRound(mmToPx(mm.height())));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(mmToPx(1), mmToPx(1));
    label.paint(painter, QRectF(QPointF(), mm));
    painter.end();
    pages.append({size, jobName, image});
}

void ScriptedHelpViewer::open(QWidget* owner, const QString& helpFile, int command, const QString& keyword)
{
    calls.append({owner, helpFile, command, keyword});
    if (failWith)
        throw *failWith;
}

QImage ScriptedPictures::load(const QString& path)
{
    const auto found = images.constFind(path);
    if (found == images.constEnd())
        throw Error::of(Error::FileNotFound);
    if (found->isNull())
        throw Error::of(Error::InvalidPicture);
    return *found;
}

void ScriptedFileSystem::checkDrive(const Drive& drive)
{
    const auto found = driveErrors.constFind(drive.root);
    if (found != driveErrors.constEnd())
        throw *found;
    local_.checkDrive(drive);
}

Listing ScriptedFileSystem::list(const QByteArray& path, std::stop_token stop)
{
    if (beforeList)
        beforeList(path);
    return local_.list(path, stop);
}

bool ScriptedBusy::wait(QWidget*, const QString& text, Job& job)
{
    texts.append(text);
    QEventLoop loop;
    bool cancelled = false;
    job.whenDone(&loop, [&loop] { loop.quit(); });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (cancelWhen && cancelWhen()) {
            cancelled = true;
            loop.quit();
        }
    });
    poll.start(10);
    if (!job.done())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return !cancelled && job.done();
}

}  // namespace ui::testing
