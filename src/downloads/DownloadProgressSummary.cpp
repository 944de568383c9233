#include "downloads/DownloadProgressSummary.h"

#include <algorithm>

#include "downloads/DownloadRowState.h"
#include "downloads/VLDownloadOperation.h"

DownloadProgressSummary DownloadProgressSummary::of(
    const std::vector<std::shared_ptr<VLDownloadOperation>>& operations) {
    DownloadProgressSummary summary;
    int64_t received = 0;
    int64_t expected = 0;
    for (const auto& operation : operations) {
        if (!operation ||
            DownloadRowState::of(*operation).kind() != DownloadRowState::Kind::Running) {
            continue;
        }
        ++summary.running;
        if (auto length = operation->expectedLength(); length && *length > 0) {
            received += operation->downloaded();
            expected += *length;
        }
    }
    if (expected > 0) {
        summary.fraction = std::clamp(static_cast<double>(received) / expected, 0.0, 1.0);
    }
    return summary;
}
