/* Preloaded into the bare program by startup.sh so that its start-up can be laid next to
 * Sitebox's: wraps the calls bare.c makes and logs "timeline <wall-clock us> <milestone>" lines
 * as Sitebox does under SITEBOX_TIMELINE. Its launches are extra ones: the timed floor in the
 * table stays the unwrapped program. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <gtk/gtk.h>
#include <stdio.h>
#include <stdlib.h>
#include <webkit2/webkit2.h>

static void mark(const char *milestone) {
    fprintf(stderr, "timeline %" G_GINT64_FORMAT " %s\n", g_get_real_time(), milestone);
}

/* The engine's processes would inherit the preload and log marks of their own. */
__attribute__((constructor)) static void forget_preload(void) { unsetenv("LD_PRELOAD"); }

#define REAL(name) ((__typeof__(&name))dlsym(RTLD_NEXT, #name))

void gtk_init(int *argc, char ***argv) {
    /* bare.c's first statement */
    mark("main");
    REAL(gtk_init)(argc, argv);
    mark("toolkit started");
}

GtkWidget *gtk_window_new(GtkWindowType type) {
    GtkWidget *window = REAL(gtk_window_new)(type);
    mark("window made");
    return window;
}

/* The engine's set-up (its GL display among it) runs in the first settings object. */
WebKitSettings *webkit_settings_new(void) {
    mark("web engine starts");
    return REAL(webkit_settings_new)();
}

GtkWidget *webkit_web_view_new_with_settings(WebKitSettings *settings) {
    GtkWidget *view = REAL(webkit_web_view_new_with_settings)(settings);
    mark("web view created");
    return view;
}

void webkit_web_view_load_uri(WebKitWebView *view, const gchar *uri) {
    REAL(webkit_web_view_load_uri)(view, uri);
    mark("load requested");
}

void gtk_widget_show_all(GtkWidget *widget) {
    REAL(gtk_widget_show_all)(widget);
    mark("first window shown");
}
