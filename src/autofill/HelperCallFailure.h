#pragma once

#include <glib.h>

// What a failed call to the helper means for the connection.
enum class HelperCallFailure {
    cancelled,    // the client went away first
    unreachable,  // the helper cannot be started or reached: the connection is invalid
    interrupted,  // the helper went away (or hung) before answering: this request is lost
    refused,      // the helper answered with an error (a refused argument)
};

HelperCallFailure classifyHelperCallFailure(const GError* error);
