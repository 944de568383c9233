#pragma once

#include "helper/VLCredentials.h"

class VLWebView;

// What the login menu tells when a row is chosen.
class VLAutoFillMenuDelegate {
  public:
    virtual ~VLAutoFillMenuDelegate() = default;
    virtual void passwordDidSelected(const VLCredentials& credentials, VLWebView& webView) = 0;
    virtual void otherOptionDidSelected(VLWebView& webView) = 0;
};
