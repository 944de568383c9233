#pragma once

#include <functional>
#include <string>

// How the web process paints pages. Its GPU painter is only worth it with a GPU: on a software
// GL renderer every launch compiles the painter's shaders with LLVM (here about 1.5 s of CPU
// next to the first page and 35 MB kept), where painting on the CPU gives the same pixels
// sooner. So a machine without a GPU paints on the CPU; compositing, WebGL and the hardware
// acceleration policy stay as they are, and so does a choice the user made in the environment.
class EnginePainting {
  public:
    static constexpr const char* kCpuPaintingVariable = "WEBKIT_SKIA_ENABLE_CPU_RENDERING";

    struct Machine {
        std::function<const char*(const char*)> environment;
        std::string deviceFolder;  // "/dev"
    };

    // True when no GL renderer but a software one can run: no DRM render node and no NVIDIA
    // control device, or LIBGL_ALWAYS_SOFTWARE asks for software.
    static bool softwareRendererOnly(const Machine& machine);
    // The value the painting variable should get, or nullptr to leave the environment alone.
    static const char* cpuPaintingSetting(const Machine& machine);
    // Applies the choice to this process, whose web processes inherit it. Before any thread
    // starts: it changes the environment.
    static void applyToThisMachine();
};
