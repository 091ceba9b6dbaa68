#include "host/core/MessageFrame.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

struct MessageFrameLoader::Worker {
    Load load;
    Report report;
    std::mutex mutex;
    std::condition_variable wake;
    std::optional<std::string> pending;
    bool closing = false;  // no more loads
    bool busy = false;     // a fetch is under way
    bool detached = false; // what it fetches goes unreported
    std::thread thread;

    static void run(const std::shared_ptr<Worker>& self)
    {
        std::unique_lock lock(self->mutex);
        for (;;) {
            self->wake.wait(lock, [&] { return self->closing || self->pending; });
            // Shutting down, a request still waiting is fetched too: it may
            // be a command the camera has to receive.
            if (!self->pending || self->detached) break;
            const std::string url = std::move(*self->pending);
            self->pending.reset();
            self->busy = true;
            lock.unlock();
            const std::string text = self->load ? self->load(url) : std::string();
            lock.lock();
            self->busy = false;
            // Reported under the lock, so that shutdown() cannot return
            // while the report is being made.
            if (!self->detached && self->report) self->report(text);
            self->wake.notify_all();
        }
        self->busy = false;
        self->wake.notify_all();
    }
};

MessageFrameLoader::MessageFrameLoader(Load load, Report report) : m_worker(std::make_shared<Worker>())
{
    m_worker->load = std::move(load);
    m_worker->report = std::move(report);
}

MessageFrameLoader::~MessageFrameLoader() { shutdown(); }

void MessageFrameLoader::navigate(const std::string& url)
{
    {
        std::lock_guard lock(m_worker->mutex);
        if (m_worker->closing) return;
        m_worker->pending = url;
        if (!m_worker->thread.joinable()) {
            auto worker = m_worker;
            m_worker->thread = std::thread([worker] { Worker::run(worker); });
        }
    }
    m_worker->wake.notify_all();
}

void MessageFrameLoader::shutdown(std::chrono::milliseconds wait)
{
    std::unique_lock lock(m_worker->mutex);
    m_worker->closing = true;
    m_worker->wake.notify_all();
    if (!m_worker->thread.joinable()) return;
    const bool ended = m_worker->wake.wait_for(lock, wait, [&] { return !m_worker->busy && !m_worker->pending; });
    m_worker->detached = true;
    lock.unlock();
    // Fetches that do not end in time finish on their own thread, which
    // holds the worker; their answers are dropped.
    if (ended) m_worker->thread.join();
    else m_worker->thread.detach();
}
