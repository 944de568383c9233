#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// One unit of work run by an OperationQueue on one of its worker threads. State flags may be read
// from any thread.
class Operation : public std::enable_shared_from_this<Operation> {
  public:
    Operation() = default;
    virtual ~Operation() = default;
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    // The work; runs on a worker thread. The operation is finished when it returns.
    virtual void main() = 0;

    // Marks the operation cancelled: a queued operation is then finished without running; a
    // running one has to look at isCancelled() itself. Overrides call this first.
    virtual void cancel();

    bool isCancelled() const { return cancelled_.load(); }
    bool isExecuting() const { return state_.load() == State::Executing; }
    bool isFinished() const { return state_.load() == State::Finished; }

    // Runs on the worker thread right after the operation finishes (also when it was skipped).
    void setCompletionBlock(std::function<void()> block);

  private:
    friend class OperationQueue;
    enum class State { Ready, Executing, Finished };
    void run();

    std::atomic<bool> cancelled_{false};
    std::atomic<State> state_{State::Ready};
    std::atomic<bool> queued_{false};
    std::mutex blockMutex_;
    std::function<void()> completionBlock_;
};

// Runs added operations in the order added, at most maxConcurrentOperationCount at once, on
// worker threads of its own. Destroying the queue cancels what it still holds, waits for the
// running operations to return and joins its threads.
class OperationQueue {
  public:
    OperationQueue();
    virtual ~OperationQueue();
    OperationQueue(const OperationQueue&) = delete;
    OperationQueue& operator=(const OperationQueue&) = delete;

    // At least 1; the default is the number of processors.
    void setMaxConcurrentOperationCount(int count);
    int maxConcurrentOperationCount() const;

    // Queues the operation; an operation already added to a queue is refused with a log line.
    void addOperation(std::shared_ptr<Operation> operation);

    // Operations queued or running.
    size_t operationCount() const;
    void cancelAllOperations();
    // Blocks until nothing is queued or running. Not from a thread the operations depend on.
    void waitUntilAllOperationsAreFinished();

  private:
    void work();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Operation>> pending_;
    std::vector<std::shared_ptr<Operation>> running_;
    std::vector<std::thread> workers_;
    int maxCount_;
    bool stopping_ = false;
};
