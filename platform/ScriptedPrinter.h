#pragma once

#include "platform/Printer.h"

#include <QByteArrayList>
#include <QList>
#include <functional>
#include <optional>

namespace platform {

// A spooler that keeps every finished job instead of printing it (tests): a
// job is the whole PDF document a print made.
class ScriptedPrinter final : public Printer {
public:
    struct Job {
        QByteArray queue;
        QString title;
        QString media;
        QByteArray pdf;
    };
    ScriptedPrinter();
    ~ScriptedPrinter() override;

    QList<Job> jobs;
    // The queues there are; the first is the default one, and the one a
    // print goes to unless the dialog chose a PDF file or another queue.
    QByteArrayList queues{"Scripted"};
    std::optional<ui::Error> failWith;  // raised when the next job finishes
    // Called on the printing thread once a job is finished and kept.
    std::function<void()> whenFinished;

    QPrinter& device() override;
    Destination chosen() override;
    QByteArray defaultQueue() override;
    void checkQueue(const QByteArray& queue) override;
    std::unique_ptr<PrintJob> startJob(const QByteArray& queue, const QString& media, const QString& title) override;

    // The queue the next print goes to, as if chosen in the dialog.
    void choose(const QByteArray& queue) { chosenQueue_ = queue; }

private:
    std::unique_ptr<QPrinter> device_;
    QByteArray chosenQueue_;
};

}  // namespace platform
