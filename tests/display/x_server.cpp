// SPDX-License-Identifier: MIT
#include "x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace velora::gui::test {
namespace {

pid_t spawnShell(const std::string& display, const std::string& command) {
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

}  // namespace

bool XServer::start() {
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // no server outlives a crashed test
        close(fds[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        const std::string fd = std::to_string(fds[1]);
        // -noreset: the server must not start over whenever its last client leaves (a test
        // that closes every connection and opens a new one would meet it half reset).
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes the display number it chose once it accepts clients.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&wait, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
        kill();
        return false;
    }
    name_ = ":" + number;
    return true;
}

void XServer::kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void XServerEnvironment::SetUp() {
    server = new XServer;
    ASSERT_TRUE(server->start()) << "Xvfb did not start (is the xvfb package installed?)";
    if (exportDisplay_) setenv("DISPLAY", server->name().c_str(), 1);
}

void XServerEnvironment::TearDown() {
    delete server;
    server = nullptr;
}

bool xdotool(const std::string& display, const std::string& args) {
    const pid_t pid = spawnShell(display, "xdotool " + args);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

pid_t xdotoolInBackground(const std::string& display, const std::string& args) {
    return spawnShell(display, "xdotool " + args);
}

bool finished(pid_t process) {
    int status = 0;
    return process <= 0 || waitpid(process, &status, WNOHANG) == process;
}

}  // namespace velora::gui::test
