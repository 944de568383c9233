#include "statusbar/ProcessRelauncher.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "foundation/Log.h"

bool ProcessRelauncher::relaunch(const std::vector<std::string>& argv, unsigned delaySeconds) {
    if (argv.empty()) {
        Log::warningLine("relaunch: no program to start");
        return false;
    }
    // Everything the children use is made before forking: after it, only calls that are safe
    // in a forked child of a threaded process.
    std::vector<char*> args;
    for (const std::string& arg : argv) {
        args.push_back(const_cast<char*>(arg.c_str()));
    }
    args.push_back(nullptr);
    rlimit limit{};
    const int maxFd = getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY
                          ? static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 65536))
                          : 1024;
    // Reads end of file once this process has ended: its write end stays open until then.
    int alive[2];
    if (pipe2(alive, O_CLOEXEC) != 0) {
        Log::warning("relaunch: cannot make a pipe: ", std::strerror(errno));
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        Log::warning("relaunch: cannot fork: ", std::strerror(errno));
        close(alive[0]);
        close(alive[1]);
        return false;
    }
    if (child == 0) {
        setsid();
        if (fork() != 0) {
            _exit(0);  // the grandchild is left to init, so nobody has to reap it
        }
        for (int fd = 3; fd < maxFd; ++fd) {
            if (fd != alive[0]) {
                close(fd);
            }
        }
        sleep(delaySeconds);
        // A new instance that starts while this one is still on the bus would hand itself over
        // to it and end with it: the app would be gone instead of restarted.
        char byte;
        while (read(alive[0], &byte, 1) < 0 && errno == EINTR) {
        }
        close(alive[0]);
        execv(args[0], args.data());
        _exit(127);
    }
    close(alive[0]);  // alive[1] is left open for the rest of this process's life
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

void ProcessRelauncher::exitNow() {
    _exit(0);
}
