#pragma once

#include <glib-object.h>

#include <memory>

// True once `object` is finalized, not merely disposed (a destroyed widget is disposed and may
// still leak): its data is freed only at finalization.
inline std::shared_ptr<bool> watchFinalize(gpointer object) {
    auto finalized = std::make_shared<bool>(false);
    g_object_set_data_full(G_OBJECT(object), "test-finalize-watch",
                           new std::shared_ptr<bool>(finalized), [](gpointer data) {
                               auto* flag = static_cast<std::shared_ptr<bool>*>(data);
                               **flag = true;
                               delete flag;
                           });
    return finalized;
}
