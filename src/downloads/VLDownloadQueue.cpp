#include "downloads/VLDownloadQueue.h"

#include "foundation/Log.h"

void VLDownloadQueue::addDownloadOperation(std::shared_ptr<VLDownloadOperation> operation) {
    if (!operation) {
        Log::warningLine("download queue: ignoring a missing download operation");
        return;
    }
    operationsArray_.push_back(operation);
    addOperation(std::move(operation));
}
