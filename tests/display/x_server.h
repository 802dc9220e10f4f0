// SPDX-License-Identifier: MIT
#pragma once
// An Xvfb of the test's own on a free display, and xdotool runs against it.
#include <sys/types.h>

#include <string>

#include <gtest/gtest.h>

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

// One Xvfb for the whole test program, started before the first test and
// ended after the last; with exportDisplay, DISPLAY also names it for the
// programs the tests start.
class XServerEnvironment : public ::testing::Environment {
public:
    explicit XServerEnvironment(bool exportDisplay) : exportDisplay_(exportDisplay) {}
    void SetUp() override;
    void TearDown() override;

    static inline XServer* server = nullptr;

private:
    bool exportDisplay_;
};

// Runs `xdotool ARGS` on the display and waits for it; true on success.
bool xdotool(const std::string& display, const std::string& args);
// The same in the background: the test serves events while it runs.
pid_t xdotoolInBackground(const std::string& display, const std::string& args);
bool finished(pid_t process);

}  // namespace velora::gui::test
