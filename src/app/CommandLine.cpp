#include "app/CommandLine.h"

#include <map>

#include "app/VLCorvaManager.h"

namespace {
struct Option {
    CommandLine::Command command;  // the command it is, or goes with
    bool isCommand;
    bool takesValue;
};

const std::map<std::string, Option>& options() {
    using C = CommandLine::Command;
    static const std::map<std::string, Option> table = {
        {"--create", {C::Create, true, true}},
        {"--name", {C::Create, false, true}},
        {"--icon", {C::Create, false, true}},
        {"--size", {C::Create, false, true}},
        {"--dir", {C::Create, false, true}},
        {"--list-apps", {C::ListApps, true, false}},
        {"--remove-app", {C::RemoveApp, true, true}},
        {"--purge", {C::RemoveApp, false, false}},
        {"--update-apps", {C::UpdateApps, true, false}},
        {"--help", {C::Help, true, false}},
        {"-h", {C::Help, true, false}},
        {"--version", {C::Version, true, false}},
    };
    return table;
}

std::string nameOf(const std::string& argument) {
    return argument.substr(0, argument.find('='));
}
}  // namespace

CommandLine CommandLine::parse(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.emplace_back(argv[i]);
    }
    return parse(arguments);
}

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine line;
    // Only a command makes the line ours: the toolkit has options of its own (--name, --class).
    for (const std::string& argument : arguments) {
        auto it = options().find(nameOf(argument));
        if (it != options().end() && it->second.isCommand) {
            if (line.command != Command::None && line.command != it->second.command) {
                line.error = "give one command at a time";
                return line;
            }
            line.command = it->second.command;
        }
    }
    if (line.command == Command::None) {
        return line;
    }
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const std::string name = nameOf(argument);
        auto it = options().find(name);
        if (it == options().end()) {
            line.error = "unknown argument: " + argument;
            return line;
        }
        const Option& option = it->second;
        if (option.command != line.command) {
            line.error = name + " does not go with this command";
            return line;
        }
        std::string value;
        if (option.takesValue) {
            if (argument.size() > name.size()) {
                value = argument.substr(name.size() + 1);
            } else if (i + 1 < arguments.size() && arguments[i + 1].rfind("--", 0) != 0) {
                value = arguments[++i];
            } else {
                line.error = name + " needs a value";
                return line;
            }
            if (value.empty()) {
                line.error = name + " needs a value";
                return line;
            }
        } else if (argument.size() > name.size()) {
            line.error = name + " takes no value";
            return line;
        }
        if (name == "--create") {
            line.url = value;
        } else if (name == "--name") {
            line.name = value;
        } else if (name == "--icon") {
            line.icon = value;
        } else if (name == "--size") {
            if (!VLCorvaManager::splitWindowSize(value)) {
                line.error = "--size wants WIDTHxHEIGHT, such as 1200x800";
                return line;
            }
            line.size = value;
        } else if (name == "--dir") {
            line.folder = value;
        } else if (name == "--remove-app") {
            line.app = value;
        } else if (name == "--purge") {
            line.purge = true;
        }
    }
    return line;
}

std::string CommandLine::usage(const std::string& program) {
    return "Usage:\n"
           "  " +
           program +
           " [URL...]                 start the app (opening the URLs)\n"
           "  " +
           program +
           " --create URL [--name NAME] [--icon FILE] [--size WxH] [--dir FOLDER]\n"
           "        make a web app of a site: a bundle, a desktop entry and an icon\n"
           "  " +
           program +
           " --list-apps              list the web apps made\n"
           "  " +
           program +
           " --update-apps            bring web apps up to this shell\n"
           "  " +
           program +
           " --remove-app NAME [--purge]\n"
           "        remove a web app (its settings and site data too with --purge)\n"
           "  " +
           program + " --help | --version\n";
}
