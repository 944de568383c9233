#pragma once

#include <string>

#include "foundation/Error.h"

// Error of domain "com.vell" carrying only its localized description.
Error vellErrorWithCode(long code, const std::string& localizedDescription);
