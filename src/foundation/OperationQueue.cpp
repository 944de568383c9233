#include "foundation/OperationQueue.h"

#include <algorithm>
#include <exception>

#include "foundation/Log.h"

void Operation::cancel() {
    cancelled_.store(true);
}

void Operation::setCompletionBlock(std::function<void()> block) {
    std::lock_guard lock(blockMutex_);
    completionBlock_ = std::move(block);
}

void Operation::run() {
    if (!isCancelled()) {
        state_.store(State::Executing);
        // An escaping exception would end the whole process from the worker thread.
        try {
            main();
        } catch (const std::exception& error) {
            Log::warning("operation ended with an exception: ", error.what());
        } catch (...) {
            Log::warningLine("operation ended with an unknown exception");
        }
    }
    state_.store(State::Finished);
    std::function<void()> block;
    {
        std::lock_guard lock(blockMutex_);
        block = std::move(completionBlock_);
    }
    if (block) {
        block();
    }
}

OperationQueue::OperationQueue()
    : maxCount_(std::max(1, static_cast<int>(std::thread::hardware_concurrency()))) {}

OperationQueue::~OperationQueue() {
    std::vector<std::shared_ptr<Operation>> skipped;
    std::vector<std::shared_ptr<Operation>> running;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        skipped.assign(pending_.begin(), pending_.end());
        pending_.clear();
        running = running_;
    }
    changed_.notify_all();
    for (auto& operation : running) {
        operation->cancel();
    }
    for (auto& operation : skipped) {
        operation->cancel();
        operation->run();  // finishes it without calling main
    }
    for (std::thread& worker : workers_) {
        worker.join();
    }
}

void OperationQueue::setMaxConcurrentOperationCount(int count) {
    if (count < 1) {
        Log::warning("operation queue: ignoring a maximum of ", count, " concurrent operations");
        return;
    }
    std::lock_guard lock(mutex_);
    maxCount_ = count;
    while (static_cast<int>(workers_.size()) < maxCount_ &&
           workers_.size() < running_.size() + pending_.size()) {
        workers_.emplace_back([this] { work(); });
    }
    changed_.notify_all();
}

int OperationQueue::maxConcurrentOperationCount() const {
    std::lock_guard lock(mutex_);
    return maxCount_;
}

void OperationQueue::addOperation(std::shared_ptr<Operation> operation) {
    if (!operation) {
        Log::warningLine("operation queue: ignoring a missing operation");
        return;
    }
    if (operation->queued_.exchange(true)) {
        Log::warningLine("operation queue: an operation can be added only once");
        return;
    }
    std::lock_guard lock(mutex_);
    if (stopping_) {
        return;
    }
    pending_.push_back(std::move(operation));
    while (static_cast<int>(workers_.size()) < maxCount_ &&
           workers_.size() < running_.size() + pending_.size()) {
        workers_.emplace_back([this] { work(); });
    }
    changed_.notify_all();
}

size_t OperationQueue::operationCount() const {
    std::lock_guard lock(mutex_);
    return pending_.size() + running_.size();
}

void OperationQueue::cancelAllOperations() {
    std::vector<std::shared_ptr<Operation>> all;
    {
        std::lock_guard lock(mutex_);
        all.assign(pending_.begin(), pending_.end());
        all.insert(all.end(), running_.begin(), running_.end());
    }
    for (auto& operation : all) {
        operation->cancel();
    }
}

void OperationQueue::waitUntilAllOperationsAreFinished() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return pending_.empty() && running_.empty(); });
}

void OperationQueue::work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] {
            return stopping_ ||
                   (!pending_.empty() && static_cast<int>(running_.size()) < maxCount_);
        });
        if (stopping_) {
            return;
        }
        std::shared_ptr<Operation> operation = std::move(pending_.front());
        pending_.pop_front();
        running_.push_back(operation);
        lock.unlock();
        operation->run();
        lock.lock();
        running_.erase(std::find(running_.begin(), running_.end(), operation));
        changed_.notify_all();
    }
}
