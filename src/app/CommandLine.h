#pragma once

#include <optional>
#include <string>
#include <vector>

// The program's own commands (making, listing, updating and removing web apps), read before
// the toolkit starts. A command line without one of them belongs to the application as it
// stands (URLs to open, toolkit options) and is left alone.
class CommandLine {
  public:
    enum class Command { None, Create, ListApps, RemoveApp, UpdateApps, Help, Version };

    Command command = Command::None;
    std::string error;  // a bad command line: what is wrong with it
    std::string url;    // --create
    std::optional<std::string> name;
    std::optional<std::string> icon;
    std::optional<std::string> size;
    std::optional<std::string> folder;
    std::string app;  // --remove-app
    bool purge = false;

    static CommandLine parse(const std::vector<std::string>& arguments);
    static CommandLine parse(int argc, char** argv);
    static std::string usage(const std::string& program);
};
