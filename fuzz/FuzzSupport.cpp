#include "FuzzSupport.h"

#include <filesystem>
#include <fstream>

#include "ScratchHome.h"

void fuzzEnvironmentInit() {
    ScratchHome::init("Fuzz");
}

void fuzzWriteFile(const std::string& path, const unsigned char* data, size_t size) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}
