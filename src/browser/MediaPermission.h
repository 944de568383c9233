#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// Whether a page may use the camera and microphone: without asking only when the page and every
// frame it embeds are of sites the whitelist keeps in the app, in a main window; otherwise the
// user is asked once per site for the run.
class MediaPermission {
  public:
    enum class Answer { Grant, Deny, Ask };

    // `pageAllowed` and `framesAllowed`: what the whitelist says of the page and of its frames'
    // origins; `site` names the page's origin for the remembered answer.
    Answer decide(const std::string& site, bool pageAllowed, bool framesAllowed,
                  bool inMainWindow) const;
    void remember(const std::string& site, bool granted) { answers_[site] = granted; }

  private:
    std::map<std::string, bool> answers_;
};
