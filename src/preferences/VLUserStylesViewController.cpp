#include "preferences/VLUserStylesViewController.h"

#include "rules/VLScriptsManager.h"

VLUserStylesViewController::VLUserStylesViewController()
    : VLUserScriptsViewController(VLStylesManager::sharedManager(), "css") {}
