#pragma once

#include <webkit2/webkit2.h>

// Downloads the engine starts itself (a link with a download attribute, blob: and data:
// addresses, the media menu's download items, answers the response policy hands it) go through
// the same save dialog and download queue as the app's own: what the queue can fetch again is
// handed to it, the rest the engine saves where the user chose.
class EngineDownloads {
  public:
    static void install(WebKitWebContext* context);

  private:
    static void onStarted(WebKitWebContext*, WebKitDownload* download, gpointer);
    static gboolean onDecideDestination(WebKitDownload* download, gchar* suggested, gpointer);
};
