#include "platform/ScriptedBusy.h"

#include <QEventLoop>
#include <QTimer>

namespace platform {

bool ScriptedBusy::wait(QWidget*, const QString& text, Job& job)
{
    texts.append(text);
    // Asked at once too, as a user who cancels at the first moment.
    if (cancelWhen && cancelWhen())
        return false;
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

}  // namespace platform
