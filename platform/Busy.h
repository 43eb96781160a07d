#pragma once

#include "ui/Error.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

class QObject;
class QThread;
class QWidget;

namespace platform {

// Work that may take long (reading a folder or a disk image) runs on a
// worker thread while the user waits. Until it ends, all user input is held
// back, so no handler runs in between; the windows keep repainting; after
// half a second an application-modal dialog offers Cancel. The work gets
// everything it reads by value and hands back one result: it never touches
// a widget or a form.
class Busy {
public:
    // The work under way on its worker thread.
    class Job {
    public:
        explicit Job(std::function<void(std::stop_token)> work);
        ~Job();
        Job(const Job&) = delete;
        Job& operator=(const Job&) = delete;

        // The work has ended (its result is there to take).
        bool done() const;
        // Asks the work to stop; it ends when it sees that. Left behind, a
        // read stuck in the kernel ends on its own, and what it finds is
        // dropped.
        void requestStop();
        // Calls `slot` on `receiver`'s thread once the work has ended, for as
        // long as `receiver` lives. Check done() after connecting.
        void whenDone(QObject* receiver, std::function<void()> slot);

    private:
        struct State;
        std::shared_ptr<State> state_;
        QPointer<QThread> thread_;
    };

    virtual ~Busy() = default;

    // Runs `work` on a worker and waits for it; `text` says what it does.
    // Returns its result, or nothing when the user cancelled. An exception
    // the work raises is raised here.
    template <typename Result>
    std::optional<Result> run(QWidget* owner, const QString& text, std::function<Result(std::stop_token)> work)
    {
        return runWork(owner, text, std::move(work), false);
    }
    // The same, except that a cancel only asks the work to stop and waits
    // until it has ended: for work that is never left behind half done, as
    // a print, which is made whole or not at all. Returns nothing when the
    // work stopped (it raised ui::Stopped); else its result, which counts
    // however the user answered.
    template <typename Result>
    std::optional<Result> runToEnd(QWidget* owner, const QString& text, std::function<Result(std::stop_token)> work)
    {
        return runWork(owner, text, std::move(work), true);
    }

protected:
    // Blocks the user's input until `job` is done (true) or the user
    // cancels (false).
    virtual bool wait(QWidget* owner, const QString& text, Job& job) = 0;
    // Holds the user's input back, the windows repainting, until `job` has
    // ended.
    static void waitForEnd(Job& job);

private:
    // On a cancel the work is left behind, or with `toEnd` waited for.
    template <typename Result>
    std::optional<Result> runWork(QWidget* owner, const QString& text, std::function<Result(std::stop_token)> work,
                                  bool toEnd)
    {
        struct Outcome {
            std::optional<Result> value;
            std::exception_ptr error;
            bool stopped = false;
        };
        auto outcome = std::make_shared<Outcome>();
        Job job([outcome, work = std::move(work)](std::stop_token stop) {
            try {
                outcome->value.emplace(work(stop));
            } catch (const ui::Stopped&) {
                outcome->stopped = true;
            } catch (...) {
                outcome->error = std::current_exception();
            }
        });
        if (!wait(owner, text, job)) {
            job.requestStop();
            if (!toEnd)
                return std::nullopt;
            waitForEnd(job);
        }
        if (outcome->stopped)
            return std::nullopt;
        if (outcome->error)
            std::rethrow_exception(outcome->error);
        return std::move(outcome->value);
    }
};

// The real wait: input held back for half a second, then a dialog with the
// text, a busy bar and Cancel (Escape and closing it cancel too).
class BusyDialog final : public Busy {
public:
    static constexpr int kDelayMs = 500;

protected:
    bool wait(QWidget* owner, const QString& text, Job& job) override;
};

}  // namespace platform
