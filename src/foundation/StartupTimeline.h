#pragma once

// Milestones from start-up to the first page's load, logged only when SITEBOX_TIMELINE is set
// (bench/startup.sh reads them): "timeline <wall-clock microseconds> <milestone>", each
// milestone once, so the benchmark can put them on the spawn time it recorded.
class StartupTimeline {
  public:
    static void mark(const char* milestone);
};
