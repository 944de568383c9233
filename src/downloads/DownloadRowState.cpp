#include "downloads/DownloadRowState.h"

#include "downloads/VLDownloadOperation.h"

DownloadRowState DownloadRowState::of(const VLDownloadOperation& operation) {
    if (operation.isCanceled()) {
        return DownloadRowState(Kind::Canceled);
    }
    if (operation.isFailed()) {
        return DownloadRowState(Kind::Failed);
    }
    if (operation.getProgress() == 100 ||
        operation.downloadStatus() == VLDownloadOperation::Status::Completed) {
        return DownloadRowState(Kind::Done);
    }
    return DownloadRowState(Kind::Running);
}

std::string DownloadRowState::statusText() const {
    switch (kind_) {
        case Kind::Done:
            return "Downloaded";
        case Kind::Canceled:
            return "Canceled";
        case Kind::Failed:
            return "Failed";
        case Kind::Running:
            break;
    }
    return {};
}
