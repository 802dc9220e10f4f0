#pragma once
// An Xvfb of the test's own on a free display, and xdotool runs against it.
#include <sys/types.h>

#include <string>

namespace velora::gui::test {

class XServer {
public:
    // Starts Xvfb with one 24-bit screen; false when it could not start.
    bool start();
    // Ends it at once, as a crashing or killed server would.
    void kill();
    ~XServer() { kill(); }

    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// Runs `xdotool ARGS` on the display and waits for it; true on success.
bool xdotool(const std::string& display, const std::string& args);
// The same in the background: the test serves events while it runs.
pid_t xdotoolInBackground(const std::string& display, const std::string& args);
bool finished(pid_t process);

}  // namespace velora::gui::test
