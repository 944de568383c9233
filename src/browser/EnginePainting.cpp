#include "browser/EnginePainting.h"

#include <glib.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "foundation/Log.h"

namespace {

bool hasRenderNode(const std::string& deviceFolder) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(deviceFolder + "/dri", error), end;
         !error && it != end; it.increment(error)) {
        if (it->path().filename().string().starts_with("renderD"))
            return true;
    }
    return false;
}

bool asksForSoftware(const char* value) {
    if (!value)
        return false;
    const std::string_view text(value);
    return !text.empty() && text != "0" && g_ascii_strcasecmp(value, "false") != 0;
}

}  // namespace

bool EnginePainting::softwareRendererOnly(const Machine& machine) {
    if (asksForSoftware(machine.environment("LIBGL_ALWAYS_SOFTWARE")))
        return true;
    std::error_code error;
    return !hasRenderNode(machine.deviceFolder) &&
           !std::filesystem::exists(machine.deviceFolder + "/nvidiactl", error);
}

const char* EnginePainting::cpuPaintingSetting(const Machine& machine) {
    if (machine.environment(kCpuPaintingVariable))
        return nullptr;
    return softwareRendererOnly(machine) ? "1" : nullptr;
}

void EnginePainting::applyToThisMachine() {
    const Machine machine{[](const char* name) { return std::getenv(name); }, "/dev"};
    if (const char* value = cpuPaintingSetting(machine)) {
        g_setenv(kCpuPaintingVariable, value, FALSE);
        Log::line("web engine: no GPU renderer, pages are painted on the CPU");
    }
}
