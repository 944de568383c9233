#include "app/TemplateBundle.h"

#include "app/WebApp.h"
#include "foundation/Bundle.h"
#include "foundation/Files.h"

std::string TemplateBundle::installed() {
#ifdef SITEBOX_INSTALLED_TEMPLATE
    return SITEBOX_INSTALLED_TEMPLATE;
#else
    return {};
#endif
}

std::string TemplateBundle::locate() {
    const std::string running = Bundle::main().bundlePath();
    if (WebApp::isMade(running) && !installed().empty() &&
        Files::exists(installed() + "/Contents/Info.plist")) {
        return installed();
    }
    return running;
}
