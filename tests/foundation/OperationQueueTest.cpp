#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "LogCapture.h"
#include "foundation/OperationQueue.h"

namespace {
using namespace std::chrono_literals;

// Shared record of what the operations did, with a way for the test to wait for a state.
struct Board {
    std::mutex mutex;
    std::condition_variable changed;
    int released = 0;
    std::vector<int> started;
    std::vector<int> finished;

    template <class Predicate>
    bool waitFor(Predicate predicate) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return predicate(); });
    }
    void release(int count) {
        std::lock_guard lock(mutex);
        released += count;
        changed.notify_all();
    }
};

// Runs until the board has released as many operations as its start position.
class GatedOperation : public Operation {
  public:
    GatedOperation(Board& board, int index) : board_(board), index_(index) {}
    void main() override {
        std::unique_lock lock(board_.mutex);
        board_.started.push_back(index_);
        int position = static_cast<int>(board_.started.size());
        board_.changed.notify_all();
        board_.changed.wait(lock, [&] { return board_.released >= position || isCancelled(); });
        board_.finished.push_back(index_);
        board_.changed.notify_all();
    }
    void cancel() override {
        Operation::cancel();
        std::lock_guard lock(board_.mutex);
        board_.changed.notify_all();
    }

  private:
    Board& board_;
    int index_;
};

class ThrowingOperation : public Operation {
  public:
    void main() override { throw std::runtime_error("disk on fire"); }
};
}  // namespace

TEST(OperationQueueTest, CancelledOperationsAreSkippedOrToldAndCompletionBlocksStillRun) {
    Board board;
    OperationQueue queue;
    queue.setMaxConcurrentOperationCount(1);
    auto first = std::make_shared<GatedOperation>(board, 0);
    auto second = std::make_shared<GatedOperation>(board, 1);
    auto third = std::make_shared<GatedOperation>(board, 2);
    std::atomic<int> completions{0};
    for (auto& operation : {first, second, third}) {
        operation->setCompletionBlock([&] { ++completions; });
        queue.addOperation(operation);
    }
    ASSERT_TRUE(board.waitFor([&] { return board.started.size() == 1; }));
    second->cancel();
    first->cancel();  // the running one sees the flag and returns
    board.release(3);
    queue.waitUntilAllOperationsAreFinished();

    EXPECT_EQ(board.started, (std::vector<int>{0, 2})) << "a cancelled operation never starts";
    EXPECT_TRUE(second->isFinished());
    EXPECT_TRUE(second->isCancelled());
    EXPECT_FALSE(third->isCancelled());
    EXPECT_EQ(completions.load(), 3);
}

TEST(OperationQueueTest, HostileUseIsLoggedAndDestructionCancelsWhatIsLeft) {
    LogCapture log;
    Board board;
    std::vector<std::shared_ptr<GatedOperation>> operations;
    {
        OperationQueue queue;
        queue.setMaxConcurrentOperationCount(2);
        queue.setMaxConcurrentOperationCount(0);
        EXPECT_TRUE(log.contains("ignoring a maximum of 0"));
        EXPECT_EQ(queue.maxConcurrentOperationCount(), 2);

        queue.addOperation(nullptr);
        EXPECT_TRUE(log.contains("missing operation"));

        // An exception in one operation is logged and the queue goes on.
        queue.addOperation(std::make_shared<ThrowingOperation>());
        queue.waitUntilAllOperationsAreFinished();
        EXPECT_TRUE(log.contains("disk on fire"));

        for (int i = 0; i < 4; ++i) {
            operations.push_back(std::make_shared<GatedOperation>(board, i));
            queue.addOperation(operations.back());
        }
        queue.addOperation(operations[3]);
        EXPECT_TRUE(log.contains("added only once"));
        ASSERT_TRUE(board.waitFor([&] { return board.started.size() == 2; }));
        // Leaving the scope must not hang on the two blocked operations.
    }
    std::sort(board.started.begin(), board.started.end());
    EXPECT_EQ(board.started, (std::vector<int>{0, 1})) << "the two waiting never started";
    for (auto& operation : operations) {
        EXPECT_TRUE(operation->isFinished());
        EXPECT_TRUE(operation->isCancelled());
    }
}
