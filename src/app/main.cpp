#include <cstdio>

#include "foundation/Bundle.h"
#include "stores/VLFileManager.h"

int main() {
    Bundle& bundle = Bundle::main();
    std::printf("%s\n%s\n%s\n", bundle.bundleIdentifier().c_str(),
                VLFileManager::getSettingsPath().c_str(), bundle.shortVersion().c_str());
    return 0;
}
