// SPDX-License-Identifier: MIT
// The LV2 user interface in a real host: jalv.gtk3 on a JACK dummy server
// and an Xvfb of the test's own. The editor must open embedded in jalv's
// window with the headless frame's pixels, a click on "Reverb On" must reach
// the plug-in (jalv's dump of the plug-in's report) and jalv's saved state,
// and jalv reopened on that state must show it; jalv exits cleanly each time.
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "core/param_id.h"
#include "display/x_server.h"
#include "editor/control_layout.h"
#include "support/png_picture.h"

// Last: Xlib's macros (None, Bool) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velora::lv2 {
namespace {

namespace fs = std::filesystem;
using gui::test::XServer;
using gui::test::XServerEnvironment;
using Clock = std::chrono::steady_clock;

const fs::path kWork = VELORA_TEST_WORK;

std::string readFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Polls until the condition holds or the seconds are up.
template <typename Condition>
bool waitFor(Condition condition, double seconds = 10.0) {
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (!condition()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

pid_t spawn(const std::string& command) {
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

// The exit status, or -1 when the process has not ended in time (it is then killed).
int waitExit(pid_t pid, double seconds) {
    int status = 0;
    if (!waitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, seconds)) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// A JACK server on the dummy backend, under a name of the test's own.
class JackEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const std::string name = "velora-ui-test-" + std::to_string(getpid());
        setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
        setenv("JACK_NO_AUDIO_RESERVATION", "1", 1);
        pid_ = spawn("jackd --no-realtime -d dummy -r 48000 -p 256 >" + (kWork / "jackd.log").string() + " 2>&1");
        ASSERT_EQ(std::system("jack_wait -w -t 10 >/dev/null 2>&1"), 0) << "jackd did not start (is jackd2 installed?)";
    }
    void TearDown() override {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        if (waitExit(pid_, 5.0) < 0) ADD_FAILURE() << "jackd did not stop";
    }

private:
    pid_t pid_ = -1;
};

// The plug-in bundle the test runs: the build's (or the one
// VELORA_JALV_BUNDLE names) with this build's user interface, on its preset
// of program 1, so the headless editor on program 1 is the picture to match.
std::string bundleUnderTest() {
    const char* named = std::getenv("VELORA_JALV_BUNDLE");
    return named && *named ? named : VELORA_PLUGIN_BUNDLE;
}

class BundleEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const fs::path bundle = kWork / "lv2" / "velora.lv2";
        fs::remove_all(kWork / "lv2");
        fs::create_directories(bundle);
        for (const auto& file : fs::directory_iterator(bundleUnderTest()))
            if (file.is_regular_file()) fs::copy_file(file.path(), bundle / file.path().filename());
        fs::copy_file(VELORA_UI_BINARY, bundle / "velora_ui.so", fs::copy_options::overwrite_existing);
        setenv("LV2_PATH", (kWork / "lv2").c_str(), 1);
        const std::string picture = std::string(VELORA_PICTURE_PROGRAM) + " " + (kWork / "headless.png").string();
        ASSERT_EQ(std::system(picture.c_str()), 0);
        // Quiet GTK: no settings daemon, no accessibility bus.
        setenv("GSETTINGS_BACKEND", "memory", 1);
        setenv("NO_AT_BRIDGE", "1", 1);
    }
};

[[maybe_unused]] const auto* const xServer = ::testing::AddGlobalTestEnvironment(new XServerEnvironment(true));
[[maybe_unused]] const auto* const jack = ::testing::AddGlobalTestEnvironment(new JackEnvironment);
[[maybe_unused]] const auto* const bundle = ::testing::AddGlobalTestEnvironment(new BundleEnvironment);

using ::velora::test::Picture;
using ::velora::test::readPng;

gui::Rect rectOf(std::int32_t tag) {
    for (const auto& row : editor::kControlTable)
        if (row.tag == tag) return row.rect;
    return {};
}

// The test's own connection to the server, for finding and reading windows.
class Screen {
public:
    Screen() : display_(XOpenDisplay(XServerEnvironment::server->name().c_str())) {
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });  // windows may go while looked at
    }
    ~Screen() {
        if (display_) XCloseDisplay(display_);
    }
    bool connected() const { return display_ != nullptr; }

    // The first window, depth first, whose name (WM_NAME) starts with the text.
    Window named(const std::string& prefix) {
        return find(DefaultRootWindow(display_), [&](Window w) {
            char* name = nullptr;
            const bool match = XFetchName(display_, w, &name) && name && std::string(name).rfind(prefix, 0) == 0;
            if (name) XFree(name);
            return match;
        });
    }
    // The editor's window inside a top-level window: the frame's size, and
    // no class of its own (the host's windows have one).
    Window editorIn(Window top) {
        return find(top, [&](Window w) {
            XWindowAttributes a{};
            XClassHint hint{};
            if (!XGetWindowAttributes(display_, w, &a) || a.map_state != IsViewable) return false;
            if (a.width != editor::kFrameWidth || a.height != editor::kFrameHeight) return false;
            if (XGetClassHint(display_, w, &hint)) {
                XFree(hint.res_name);
                XFree(hint.res_class);
                return false;
            }
            return true;
        });
    }
    Picture shot(Window w) {
        Picture picture;
        if (w == 0) return picture;
        XImage* image = XGetImage(display_, w, 0, 0, editor::kFrameWidth, editor::kFrameHeight, AllPlanes, ZPixmap);
        if (!image) return picture;
        picture.width = image->width;
        picture.height = image->height;
        for (int y = 0; y < image->height; ++y)
            for (int x = 0; x < image->width; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                picture.rgb.push_back(static_cast<std::uint8_t>((p & image->red_mask) >> 16));
                picture.rgb.push_back(static_cast<std::uint8_t>((p & image->green_mask) >> 8));
                picture.rgb.push_back(static_cast<std::uint8_t>(p & image->blue_mask));
            }
        XDestroyImage(image);
        return picture;
    }

private:
    template <typename Match>
    Window find(Window under, const Match& match) {
        if (match(under)) return under;
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_, under, &root, &parent, &children, &count)) return 0;
        Window found = 0;
        for (unsigned i = 0; i < count && !found; ++i) found = find(children[i], match);
        if (children) XFree(children);
        return found;
    }
    Display* display_;
};

// The pixels of one rectangle of a frame picture.
std::vector<std::uint8_t> area(const Picture& picture, const gui::Rect& r) {
    std::vector<std::uint8_t> pixels;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            for (int c = 0; c < 3; ++c)
                pixels.push_back(picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3 + c]);
    return pixels;
}

// The value of the last patch:Set for a port that jalv's dump shows, or "".
std::string lastReported(const std::string& dump, const std::string& symbol) {
    const std::string property = "patch:property <urn:velora:synth#" + symbol + ">";
    const std::size_t at = dump.rfind(property);
    if (at == std::string::npos) return "";
    const std::size_t value = dump.find("patch:value \"", at);
    if (value == std::string::npos) return "";
    const std::size_t start = value + 13;
    return dump.substr(start, dump.find('"', start) - start);
}

// The same as a number; -1 while none was reported.
float reportedNumber(const std::string& dump, const std::string& symbol) {
    const std::string text = lastReported(dump, symbol);
    return text.empty() ? -1.0f : std::strtof(text.c_str(), nullptr);
}

// A port's value in a state saved by jalv, or "".
std::string savedValue(const fs::path& state, const std::string& symbol) {
    const std::string text = readFile(state / "state.ttl");
    const std::size_t at = text.find("lv2:symbol \"" + symbol + "\"");
    if (at == std::string::npos) return "";
    const std::size_t value = text.find("pset:value ", at);
    if (value == std::string::npos) return "";
    const std::size_t start = value + 11;
    return text.substr(start, text.find_first_of(" \n\t;]", start) - start);
}

class Jalv {
public:
    // The headless picture is drawn for a host without a tempo, so the
    // cross delay's tempo sync starts off here too.
    explicit Jalv(const std::string& name, const std::string& options = "")
        : out_(kWork / (name + ".out")), err_(kWork / (name + ".err")) {
        // (A loaded state brings its own values.)
        const bool fresh = options.empty();
        const std::string preset = fresh ? "-p urn:velora:synth#preset_01 " : "";
        pid_ = spawn("stdbuf -oL jalv.gtk3 -d -c xdelay_tempo_sync=0 " + preset + options + " urn:velora:synth >" +
                     out_.string() + " 2>" + err_.string());
    }
    ~Jalv() {
        if (pid_ > 0) waitExit(pid_, 0.0);
    }
    std::string output() const { return readFile(out_); }
    std::string errors() const { return readFile(err_); }
    // Its File menu's item at the given row (1 Save, 2 Quit).
    void fileMenu(Window top, int row) {
        const std::string window = std::to_string(top);
        xdo("mousemove --window " + window + " 15 12 click 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        xdo("mousemove --window " + window + " 30 " + std::to_string(12 + 25 * row) + " click 1");
    }
    // File > Quit, asked again while a popup left over takes the first
    // click; its exit status, -1 when it never ends.
    int quit(Window top) {
        int status = -1;
        for (int attempt = 0; attempt < 3 && status == -1; ++attempt) {
            fileMenu(top, 2);
            int raw = 0;
            if (waitFor([&] { return waitpid(pid_, &raw, WNOHANG) == pid_; }, 3.0))
                status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        if (status == -1) waitExit(pid_, 0.0);
        pid_ = -1;
        return status;
    }
    static bool xdo(const std::string& args) { return gui::test::xdotool(XServerEnvironment::server->name(), args); }

private:
    fs::path out_, err_;
    pid_t pid_ = -1;
};

class JalvTest : public ::testing::Test {
protected:
    // Waits for jalv's window and the editor in it, painted.
    void opened(Jalv& jalv, Window& top, Window& editorWindow, Picture& picture, const Picture* expected = nullptr) {
        ASSERT_TRUE(screen.connected());
        ASSERT_TRUE(waitFor([&] { return (top = screen.named("Velora")) != 0; })) << jalv.errors();
        ASSERT_TRUE(waitFor([&] { return (editorWindow = screen.editorIn(top)) != 0; })) << jalv.errors();
        // Painting follows the host's idle calls.
        waitFor(
            [&] {
                picture = screen.shot(editorWindow);
                return expected ? picture == *expected : !picture.rgb.empty();
            },
            5.0);
    }
    void click(Window w, std::int32_t tag) {
        const gui::Rect r = rectOf(tag);
        const std::string at = std::to_string((r.left + r.right) / 2) + " " + std::to_string((r.top + r.bottom) / 2);
        ASSERT_TRUE(Jalv::xdo("mousemove --window " + std::to_string(w) + " " + at + " click 1"));
    }

    Screen screen;
};

TEST_F(JalvTest, EditorOpensEmbeddedClicksReachThePluginAndTheStateKeepsThem) {
    const Picture headless = readPng(kWork / "headless.png");
    ASSERT_EQ(headless.width, editor::kFrameWidth);
    const fs::path state = kWork / "state";
    fs::remove_all(state);

    Picture before, after;
    {
        Jalv jalv("first");
        Window top = 0, editorWindow = 0;
        opened(jalv, top, editorWindow, before, &headless);
        EXPECT_TRUE(before == headless) << "the editor in jalv differs from the headless frame";
        EXPECT_NE(jalv.output().find("a patch:Get"), std::string::npos) << "the editor asks for every value";
        ASSERT_EQ(lastReported(jalv.output(), "reverb_on"), "1.0") << jalv.output();

        click(editorWindow, kParamReverbOn);
        EXPECT_TRUE(waitFor([&] { return lastReported(jalv.output(), "reverb_on") == "0.0"; }))
            << "the plug-in never reported the click";
        waitFor(
            [&] {
                return area(after = screen.shot(editorWindow), rectOf(kParamReverbOn)) !=
                       area(before, rectOf(kParamReverbOn));
            },
            3.0);
        EXPECT_NE(area(after, rectOf(kParamReverbOn)), area(before, rectOf(kParamReverbOn)));

        // A voice step and a typed value reach the plug-in the same way.
        const float voices = reportedNumber(jalv.output(), "voices");
        click(editorWindow, editor::kVoiceUpTag);
        EXPECT_TRUE(waitFor([&] { return reportedNumber(jalv.output(), "voices") == voices + 1.0f; }))
            << "voices were " << voices;
        const gui::Rect dry = rectOf(kParamDistDry), status = rectOf(editor::kStatusTag);
        const std::string window = std::to_string(editorWindow);
        ASSERT_TRUE(Jalv::xdo("mousemove --window " + window + " " + std::to_string(dry.left + 10) + " " +
                              std::to_string(dry.top + 10) + " click 3 sleep 0.3 mousemove --window " + window + " " +
                              std::to_string(status.left + 20) + " " + std::to_string(status.top + 5) +
                              " click 1 sleep 0.5"));
        ASSERT_TRUE(Jalv::xdo("type --delay 10 0.25"));
        ASSERT_TRUE(Jalv::xdo("key Return"));
        EXPECT_TRUE(waitFor([&] { return lastReported(jalv.output(), "dist_dry") == "0.25"; }))
            << "the typed value never reached the plug-in";

        // File > Save, into a folder named in the dialog.
        jalv.fileMenu(top, 1);
        Window dialog = 0;
        ASSERT_TRUE(waitFor([&] { return (dialog = screen.named("Save State")) != 0; })) << jalv.errors();
        std::this_thread::sleep_for(std::chrono::seconds(1));  // the dialog takes keys once drawn
        // (xdotool's type takes all its arguments as text: one call each.)
        ASSERT_TRUE(Jalv::xdo("windowfocus " + std::to_string(dialog)));
        ASSERT_TRUE(Jalv::xdo("type --delay 10 " + state.string()));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ASSERT_TRUE(Jalv::xdo("key Return"));
        EXPECT_TRUE(waitFor([&] { return savedValue(state, "reverb_on") == "0.0"; })) << readFile(state / "state.ttl");

        EXPECT_EQ(jalv.quit(top), 0) << jalv.errors();
    }
    {
        Jalv jalv("reopened", "-l " + state.string());
        Window top = 0, editorWindow = 0;
        Picture reopened;
        opened(jalv, top, editorWindow, reopened);
        EXPECT_NE(jalv.output().find("reverb_on = 0.000000"), std::string::npos) << jalv.output();
        EXPECT_TRUE(waitFor(
            [&] {
                return area(reopened = screen.shot(editorWindow), rectOf(kParamReverbOn)) ==
                       area(after, rectOf(kParamReverbOn));
            },
            3.0))
            << "the reopened editor does not show Reverb On off";
        EXPECT_EQ(jalv.quit(top), 0) << jalv.errors();
    }
}

}  // namespace
}  // namespace velora::lv2
