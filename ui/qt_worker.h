#pragma once

#include <QObject>

#include "document/worker.h"

namespace tintwell::ui {

// The roll's work on threads of its own, its results handed back through the event loop.
class QtWorker final : public QObject, public document::Worker {
public:
    explicit QtWorker(unsigned threads, QObject* parent = nullptr)
        : QObject(parent), m_queue(threads) {}

    void Start(std::function<void()> job, bool urgent) override {
        m_queue.Push(std::move(job), urgent);
    }
    void Post(std::function<void()> done) override {
        QMetaObject::invokeMethod(this, std::move(done), Qt::QueuedConnection);
    }

private:
    document::JobQueue m_queue;
};

}  // namespace tintwell::ui
