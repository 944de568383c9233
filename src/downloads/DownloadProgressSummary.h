#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

class VLDownloadOperation;

// The downloads button's overall progress: how many downloads run, and how far those whose
// length is known have come together.
struct DownloadProgressSummary {
    size_t running = 0;
    // 0 to 1; nothing while no running download has a known length.
    std::optional<double> fraction;

    static DownloadProgressSummary of(
        const std::vector<std::shared_ptr<VLDownloadOperation>>& operations);
};
