#pragma once

#include <memory>
#include <vector>

#include "downloads/VLDownloadOperation.h"
#include "foundation/OperationQueue.h"

// The queue of all downloads; remembers every operation ever added so the downloads list can
// show finished and cancelled ones too. The creator sets the maximum run at once. Main thread.
class VLDownloadQueue : public OperationQueue {
  public:
    VLDownloadQueue() = default;

    // Appends the operation to operationsArray, then queues it.
    void addDownloadOperation(std::shared_ptr<VLDownloadOperation> operation);
    // In the order added; nothing is ever removed.
    const std::vector<std::shared_ptr<VLDownloadOperation>>& operationsArray() const {
        return operationsArray_;
    }

  private:
    std::vector<std::shared_ptr<VLDownloadOperation>> operationsArray_;
};
