#pragma once

#include "preferences/VLUserScriptsViewController.h"

// The User Styles pane: the scripts pane over the styles store, with a CSS editor.
class VLUserStylesViewController : public VLUserScriptsViewController {
  public:
    VLUserStylesViewController();
};
