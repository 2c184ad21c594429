#pragma once

#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

// Work run on Qt's pool of threads while the window goes on answering, its result handed back
// on the thread that owns the job. The work is stopped by a flag it looks at between pieces,
// the one the engine's long loops already take, which a QFuture's own cancel could not reach.
// The job waits for its work when it goes, so that whatever the work reads may be a member of
// the job's owner, declared before the job.
template <typename Result> class BackgroundJob
{
public:
    // `done` hears each run's result, on the owner's thread, once the run is over.
    explicit BackgroundJob(std::function<void(Result)> done) : m_done(std::move(done))
    {
        QObject::connect(&m_watcher, &QFutureWatcherBase::finished, [this] {
            // The end of a dropped run may still be on its way when the next run is watched.
            if (!m_running || !m_watcher.future().isFinished())
                return;
            m_running = false;
            m_done(m_watcher.future().takeResult());
        });
    }
    ~BackgroundJob()
    {
        stop();
        // A run already heard has had its result taken, which leaves its future nothing to
        // wait for.
        if (m_running)
            m_watcher.waitForFinished();
        for (QFuture<Result>& dropped : m_dropped)
            dropped.waitForFinished();
    }
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Until `done` has heard the run's result.
    bool running() const { return m_running; }
    // Asks the run to stop at its next piece; its result is still heard.
    void stop() { m_stop->store(true, std::memory_order_relaxed); }
    // Whether the last run was asked to stop, which its result may not show.
    bool stopped() const { return m_stop->load(std::memory_order_relaxed); }

    // Runs `work(stop)`, which returns the Result, once no run is left.
    template <typename Work> void start(Work work)
    {
        if (m_running)
            return;
        m_stop = std::make_shared<std::atomic<bool>>(false);
        m_running = true;
        m_watcher.setFuture(QtConcurrent::run(
            [work = std::move(work), stop = m_stop] { return work(std::as_const(*stop)); }));
    }

    // Asks the run to stop and frees the job at once: `done` never hears that run. The job still
    // waits for it when it goes.
    void drop()
    {
        if (!std::exchange(m_running, false))
            return;
        stop();
        std::erase_if(m_dropped, [](const QFuture<Result>& run) { return run.isFinished(); });
        m_dropped.push_back(m_watcher.future());
    }

private:
    const std::function<void(Result)> m_done;
    // Each run has its own, so that a dropped run is still told to stop once the next begins.
    std::shared_ptr<std::atomic<bool>> m_stop = std::make_shared<std::atomic<bool>>(false);
    bool m_running = false;
    QFutureWatcher<Result> m_watcher;
    std::vector<QFuture<Result>> m_dropped;
};
