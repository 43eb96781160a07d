#include "platform/Busy.h"

#include "ui/AppInfo.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>

namespace platform {

struct Busy::Job::State {
    std::stop_source stop;
    std::atomic<bool> done = false;
};

Busy::Job::Job(std::function<void(std::stop_token)> work) : state_(std::make_shared<State>())
{
    // The thread's object goes once the thread has ended, whether or not
    // anyone still waits for it.
    QThread* thread = QThread::create([state = state_, work = std::move(work)] {
        work(state->stop.get_token());
        state->done.store(true, std::memory_order_release);
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread_ = thread;
    thread->start();
}

Busy::Job::~Job() = default;

bool Busy::Job::done() const { return state_->done.load(std::memory_order_acquire); }

void Busy::Job::whenDone(QObject* receiver, std::function<void()> slot)
{
    if (thread_)
        QObject::connect(thread_, &QThread::finished, receiver, std::move(slot));
}

void Busy::Job::requestStop() { state_->stop.request_stop(); }

void Busy::waitForEnd(Job& job)
{
    QEventLoop loop;
    job.whenDone(&loop, [&loop] { loop.quit(); });
    if (!job.done())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

bool BusyDialog::wait(QWidget* owner, const QString& text, Job& job)
{
    // The first half second: windows repaint, and what the user types or
    // clicks is held back until the work is done.
    {
        QEventLoop loop;
        job.whenDone(&loop, [&loop] { loop.quit(); });
        QTimer::singleShot(kDelayMs, &loop, [&loop] { loop.quit(); });
        if (!job.done())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (job.done())
        return true;

    // Then a dialog that blocks every other window until the work ends or
    // the user cancels.
    QDialog dialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(ui::AppInfo::title);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAccessibleDescription(text);
    auto* layout = new QVBoxLayout(&dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(new QLabel(text, &dialog));
    auto* bar = new QProgressBar(&dialog);
    bar->setRange(0, 0);
    bar->setTextVisible(false);
    bar->setAccessibleName(text);
    layout->addWidget(bar);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    job.whenDone(&dialog, [&dialog] { dialog.accept(); });
    if (job.done())
        return true;
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace platform
