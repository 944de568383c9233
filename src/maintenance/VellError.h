#pragma once

#include <string>

#include "foundation/Error.h"
#include "foundation/Geometry.h"

// Error of domain "com.vell" carrying only its localized description.
Error vellErrorWithCode(long code, const std::string& localizedDescription);

// A 1 by 1 rectangle at the centre of a view's frame (popover anchor).
Rect centerRect(const Rect& frame);
