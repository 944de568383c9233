#pragma once

#include <string>

// A throw-away HOME and bundle for a fuzz run, made once per process.
void fuzzEnvironmentInit();
// Writes bytes to a file (creating folders).
void fuzzWriteFile(const std::string& path, const unsigned char* data, size_t size);
