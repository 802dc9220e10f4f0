// SPDX-License-Identifier: MIT
// The plug-in file's editor in real windows: velora-host's screenshot and
// edit commands under an Xvfb of the test's own (velora.so, and velora.dll
// under Wine), driven by xdotool; open, close and bad input through the ABI.
#include <gtest/gtest.h>
#include <png.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "editor/control_layout.h"
#include "editor/size_menu.h"
#include "gui/scale.h"
#include "plugin_host.h"
#include "support/png_picture.h"
#include "x_server.h"

// Xlib's macros stay out of the project's headers above.
#include <X11/Xlib.h>
#include <unistd.h>

namespace velora::gui::test {
namespace {

XServer*& server = XServerEnvironment::server;
[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new XServerEnvironment(true));

const std::filesystem::path kWork = VELORA_TEST_WORK;
// Pictures and settings of this process only: ctest may run this program's
// tests side by side, and one test's chosen size must not reach another's
// window. The Wine prefix stays shared.
const std::filesystem::path kOwn = [] {
    auto folder = kWork / ("process-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    return folder;
}();

// A shell command on the test's display; its output is read back later.
struct Command {
    explicit Command(const std::string& command) : pipe(popen(("exec " + command + " 2>&1").c_str(), "r")) {}
    ~Command() { finish(); }
    std::string line() {
        char buffer[512];
        return pipe && std::fgets(buffer, sizeof buffer, pipe) ? std::string(buffer) : std::string();
    }
    std::string finish() {
        std::string rest;
        for (std::string next; pipe && !(next = line()).empty();) rest += next;
        if (pipe) status = pclose(pipe);
        pipe = nullptr;
        return rest;
    }
    FILE* pipe;
    int status = -1;
};

using ::velora::test::Picture;
using ::velora::test::readPng;

// The editor on program 1 drawn headless: what Linux must show.
Picture headlessEditor() {
    const auto path = kOwn / "headless.png";
    Command(std::string(VELORA_PICTURE_PROGRAM) + " " + path.string() + " --program 1").finish();
    return readPng(path);
}

std::string host() { return std::string(VELORA_HOST_PROGRAM) + " --plugin " + VELORA_PLUGIN_FILE; }

gui::Rect rectOf(std::int32_t tag) {
    for (const auto& row : editor::kControlTable)
        if (row.tag == tag) return row.rect;
    return {};
}

gui::Point centre(std::int32_t tag) {
    const gui::Rect r = rectOf(tag);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::string at(gui::Point origin, gui::Point p) {
    return "mousemove " + std::to_string(origin.h + p.h) + " " + std::to_string(origin.v + p.v) + " sleep 0.1 ";
}

// Reads up to "editor open at X,Y size WxH"; (-1, -1) when it never comes.
gui::Point editorOrigin(Command& command) {
    int x = -1, y = -1;
    for (std::string line; (line = command.line()) != "";)
        if (std::sscanf(line.c_str(), "editor open at %d,%d", &x, &y) == 2) break;
    return {x, y};
}

// "INDEX NAME: BEFORE -> AFTER (DISPLAY)" lines, by index.
std::map<int, std::pair<float, float>> changes(const std::string& report) {
    std::map<int, std::pair<float, float>> found;
    std::size_t start = 0;
    while (start < report.size()) {
        const std::size_t end = report.find('\n', start);
        const std::string line = report.substr(start, end - start);
        start = end == std::string::npos ? report.size() : end + 1;
        int index = 0;
        float before = 0, after = 0;
        const auto colon = line.find(": ");
        if (colon == std::string::npos || std::sscanf(line.c_str(), "%d", &index) != 1) continue;
        if (std::sscanf(line.c_str() + colon, ": %f -> %f", &before, &after) == 2) found[index] = {before, after};
    }
    return found;
}

TEST(EditorThroughPluginFile, ScreenshotEqualsTheHeadlessFrameExactly) {
    const auto shot = kOwn / "linux.png";
    // The headless picture is drawn for a host without time info.
    Command run(host() + " --time-info no screenshot " + shot.string() + " --program 1");
    const std::string output = run.finish();
    ASSERT_EQ(run.status, 0) << output;
    const Picture expected = headlessEditor();
    const Picture seen = readPng(shot);
    ASSERT_EQ(expected.width, editor::kFrameWidth);
    EXPECT_EQ(seen.width, expected.width);
    EXPECT_EQ(seen.height, expected.height);
    EXPECT_TRUE(seen.rgb == expected.rgb);
}

// One user action and what it must do to one parameter.
struct Action {
    const char* what;
    std::string xdotool;
    int parameter;
    std::function<bool(float before, float after)> expected;
};

// Program 1's value of a parameter, read through the plug-in file.
float programOneValue(int index) {
    std::string error;
    auto plugin = host::PluginInstance::load(VELORA_PLUGIN_FILE, error);
    if (!plugin) return -1.0f;
    plugin->open();
    plugin->setProgram(1);
    return plugin->getParameter(index);
}

std::vector<Action> userActions(gui::Point o) {
    // A vertical slider's handle (15 x 14, 4 pixels in) sits 0..67 pixels
    // below the slot's top, value 0 at the bottom.
    const gui::Rect slider = rectOf(8);
    const int travelled = static_cast<int>((1.0f - programOneValue(8)) * 67.0f);
    const gui::Point grip{slider.left + 4 + 7, slider.top + travelled + 7};
    const gui::Point knob = centre(58);
    return {
        {"toggle XDelay On", at(o, centre(64)) + "click 1", 64, [](float b, float a) { return a == 1.0f - b; }},
        {"drag T Wave Mix's handle 20 pixels down",
         at(o, grip) + "mousedown 1 sleep 0.1 " + at(o, {grip.h, grip.v + 10}) + at(o, {grip.h, grip.v + 20}) +
             "mouseup 1",
         8, [](float b, float a) { return std::abs(a - (b - 20.0f / 67.0f)) < 1e-5f; }},
        {"turn Feedback 1",
         at(o, knob) + "mousedown 1 sleep 0.1 " + at(o, {knob.h, knob.v - 15}) + at(o, {knob.h + 10, knob.v - 25}) +
             "mouseup 1",
         58, [](float b, float a) { return a != b; }},
        {"Control-click XD Length L to its default", at(o, centre(66)) + "keydown ctrl click 1 keyup ctrl", 66,
         [](float, float a) { return a == 0.5f; }},
        {"voice limit up twice, down once",
         at(o, centre(editor::kVoiceUpTag)) + "click 1 sleep 0.1 click 1 sleep 0.1 " +
             at(o, centre(editor::kVoiceDownTag)) + "click 1",
         kParamVoiceLimit,
         [](float b, float a) { return static_cast<int>(a * 127.0f) == static_cast<int>(b * 127.0f) + 1; }},
        {"touch A Freq Mult, type 0.5 into the status field",
         at(o, centre(12)) + "click 3 sleep 0.1 " + at(o, centre(editor::kStatusTag)) +
             "click 1 sleep 0.2 type 0.5 sleep 0.1 key Return",
         12, [](float, float a) { return a == 0.5f; }},
    };
}

TEST(EditorThroughPluginFile, PressesDragsAndTypingChangeTheParameters) {
    Command edit(host() + " edit --program 1 --seconds 60");
    const gui::Point origin = editorOrigin(edit);
    ASSERT_GE(origin.h, 0) << "the editor did not open";
    const std::vector<Action> actions = userActions(origin);
    for (const Action& action : actions)
        EXPECT_TRUE(xdotool(server->name(), action.xdotool + " sleep 0.15")) << action.what;
    EXPECT_TRUE(xdotool(server->name(), "search --name '^Velora$' windowunmap"));
    const std::string report = edit.finish();
    EXPECT_EQ(edit.status, 0) << report;
    const auto changed = changes(report);
    for (const Action& action : actions) {
        const auto found = changed.find(action.parameter);
        ASSERT_NE(found, changed.end()) << action.what << "\n" << report;
        const auto [before, after] = found->second;
        EXPECT_TRUE(action.expected(before, after)) << action.what << ": " << before << " -> " << after;
    }
    // Moved controls tell the host; the voice limit and typed values do not.
    EXPECT_EQ(report.find(" 0 automate"), std::string::npos) << report;
}

// The automation calls the edit command counted; -1 when it did not say.
int automates(const std::string& report) {
    const auto at = report.find(" automate,");
    if (at == std::string::npos) return -1;
    const auto start = report.rfind(", ", at);
    return start == std::string::npos ? -1 : std::atoi(report.c_str() + start + 2);
}

// Presses on handles at rest and at the ends of their travel, held a while
// after every move: a click without a move changes nothing, a handle is
// taken where it is drawn, and each move automates once however long it is
// held.
struct HandleSession {
    std::string xdotool;
    int moves = 0;  // pointer moves with the button down
};

HandleSession handleActions(gui::Point o) {
    // T Unison Amp's 0.4 lies between two pixel steps of its slider.
    const gui::Rect amp = rectOf(2), diff = rectOf(0), volume = rectOf(92);
    const int ampAt = static_cast<int>((1.0f - programOneValue(2)) * 67.0f);
    const int diffAt = static_cast<int>((1.0f - programOneValue(0)) * 67.0f);
    const int volumeAt = std::max(2, static_cast<int>(programOneValue(92) * 66.0f));
    const gui::Point ampGrip{amp.left + 11, amp.top + ampAt + 7};
    const gui::Point diffGrip{diff.left + 11, diff.top + diffAt + 7};
    const gui::Point volumeGrip{volume.left + volumeAt + 7, volume.top + 9};
    // Drawn at the ends: a vertical handle at 1 covers y 2..16, a horizontal
    // one at 0 covers x 2..17 of its control.
    const gui::Point diffBottomEdge{diff.left + 11, diff.top + 15};
    const gui::Point volumeRightEdge{volume.left + 16, volume.top + 9};
    const std::string hold = "sleep 0.3 ";
    HandleSession session;
    const auto drag = [&](gui::Point from, std::vector<gui::Point> to) {
        std::string actions = at(o, from) + "mousedown 1 " + hold;
        for (gui::Point p : to) actions += at(o, p) + hold;
        session.moves += static_cast<int>(to.size());
        return actions + "mouseup 1 sleep 0.2 ";
    };
    session.xdotool = drag(ampGrip, {}) + drag(diffGrip, {{diffGrip.h, diff.top - 30}}) +
                      drag(diffBottomEdge, {{diffBottomEdge.h, diffBottomEdge.v + 10}}) +
                      drag(volumeGrip, {{volume.left - 30, volumeGrip.v}}) +
                      drag(volumeRightEdge, {{volumeRightEdge.h + 10, volumeRightEdge.v}});
    return session;
}

// Hosts that do not end the session when the window goes get `seconds`.
void checkHandleSession(const std::string& hostCommand, int seconds) {
    Command edit(hostCommand + " edit --program 1 --seconds " + std::to_string(seconds));
    const gui::Point origin = editorOrigin(edit);
    ASSERT_GE(origin.h, 0) << "the editor did not open";
    const HandleSession session = handleActions(origin);
    EXPECT_TRUE(xdotool(server->name(), session.xdotool));
    EXPECT_TRUE(xdotool(server->name(), "search --name '^Velora$' windowunmap"));
    const std::string report = edit.finish();
    EXPECT_EQ(edit.status, 0) << report;
    const auto changed = changes(report);
    EXPECT_EQ(changed.count(2), 0u) << "T Unison Amp clicked without a move\n" << report;
    ASSERT_EQ(changed.count(0), 1u) << report;
    EXPECT_NEAR(changed.at(0).second, 1.0f - 10.0f / 67.0f, 1e-5f) << "T Unison Diff taken at its drawn bottom";
    ASSERT_EQ(changed.count(92), 1u) << report;
    EXPECT_NEAR(changed.at(92).second, 10.0f / 66.0f, 1e-5f) << "Volume Major taken at its drawn right edge";
    const int told = automates(report);
    EXPECT_GE(told, 1) << report;
    EXPECT_LE(told, session.moves) << report;
}

TEST(EditorThroughPluginFile, HandlesAreTakenWhereDrawnAndOnlyMovesAutomate) { checkHandleSession(host(), 60); }

// ---- larger sizes ---------------------------------------------------------------

// A configuration folder of the tests' own: no size chosen on this machine
// leaks into the windows below.
const std::filesystem::path kConfig = kOwn / "config";
[[maybe_unused]] const int kConfigSet = ::setenv("XDG_CONFIG_HOME", kConfig.c_str(), 1);

// The server's resource database for the next clients: empty, or one line.
void setResources(const std::string& line) {
    const std::string display = " -display " + server->name();
    std::system(("xrdb" + display + " -remove").c_str());
    if (!line.empty()) std::system(("printf '" + line + "\\n' | xrdb" + display + " -merge").c_str());
}

Picture headlessEditorAt(const char* scale) {
    const auto path = kOwn / (std::string("headless-") + scale + ".png");
    Command(std::string(VELORA_PICTURE_PROGRAM) + " " + path.string() + " --program 1 --scale " + scale).finish();
    return readPng(path);
}

TEST(EditorAtLargerSizes, ScreenshotsEqualTheHeadlessFramesWhoeverChoseTheSize) {
    const struct {
        const char* how;
        std::string resources;
        std::string options;
        const char* scale;
        int width;
    } cases[] = {
        {"Xft.dpi 192", "Xft.dpi: 192", "", "2", 768},
        {"Xft.dpi 144", "Xft.dpi:\t144", "", "1.5", 576},
        {"GDK_SCALE 2 without Xft.dpi", "", "env GDK_SCALE=2 ", "2", 768},
        {"the host's message over Xft.dpi 192", "Xft.dpi: 192", "", "1.5", 576},
    };
    std::filesystem::remove_all(kConfig);
    for (const auto& c : cases) {
        setResources(c.resources);
        const auto shot = kOwn / "linux-scaled.png";
        const bool hostAsks = std::string(c.how).find("host") != std::string::npos;
        Command run(c.options + host() + " --time-info no screenshot " + shot.string() + " --program 1" +
                    (hostAsks ? std::string(" --scale ") + c.scale : std::string()));
        const std::string output = run.finish();
        ASSERT_EQ(run.status, 0) << c.how << "\n" << output;
        const Picture expected = headlessEditorAt(c.scale);
        const Picture seen = readPng(shot);
        ASSERT_EQ(expected.width, c.width) << c.how;
        EXPECT_EQ(seen.width, expected.width) << c.how;
        EXPECT_EQ(seen.height, expected.height) << c.how;
        EXPECT_TRUE(seen.rgb == expected.rgb) << c.how;
    }
    setResources("");
}

gui::Point twice(gui::Point p) { return {2 * p.h, 2 * p.v}; }

TEST(EditorAtLargerSizes, ClicksAtTwiceTheCoordinatesReachTheControls) {
    std::filesystem::remove_all(kConfig);
    Command edit(host() + " edit --program 1 --seconds 60 --scale 2");
    const gui::Point o = editorOrigin(edit);
    ASSERT_GE(o.h, 0) << "the editor did not open";
    const std::string actions = at(o, twice(centre(64))) + "click 1 sleep 0.2 " + at(o, twice(centre(66))) +
                                "keydown ctrl click 1 keyup ctrl sleep 0.2 " + at(o, twice(centre(12))) +
                                "click 3 sleep 0.1 " + at(o, twice(centre(editor::kStatusTag))) +
                                "click 1 sleep 0.2 type 0.5 sleep 0.1 key Return sleep 0.2";
    EXPECT_TRUE(xdotool(server->name(), actions));
    EXPECT_TRUE(xdotool(server->name(), "search --name '^Velora$' windowunmap"));
    const std::string report = edit.finish();
    const auto changed = changes(report);
    ASSERT_TRUE(changed.count(64) && changed.count(66) && changed.count(12)) << report;
    EXPECT_EQ(changed.at(64).second, 1.0f - changed.at(64).first);
    EXPECT_EQ(changed.at(66).second, 0.5f);
    EXPECT_EQ(changed.at(12).second, 0.5f);
}

TEST(EditorAtLargerSizes, MenuChoiceResizesTheWindowAndLastsIntoANewProcess) {
    std::filesystem::remove_all(kConfig);
    Command edit(host() + " edit --program 1 --seconds 60");
    const gui::Point o = editorOrigin(edit);
    ASSERT_GE(o.h, 0) << "the editor did not open";
    const gui::Point title{200, 8};
    const editor::SizeMenu menu(title, {0, 0, editor::kFrameWidth, editor::kFrameHeight}, gui::Scale::x100,
                                gui::Scale::x100, nullptr);
    const gui::Rect entry = menu.entryRect(1);  // 150 %
    EXPECT_TRUE(xdotool(server->name(), at(o, title) + "click 3 sleep 0.3 " +
                                            at(o, {(entry.left + entry.right) / 2, (entry.top + entry.bottom) / 2}) +
                                            "click 1 sleep 0.5"));
    std::string resized;
    for (std::string line; resized.empty() && !(line = edit.line()).empty();)
        if (line.find("editor resized to") == 0) resized = line;
    EXPECT_EQ(resized, "editor resized to 576x615\n");
    EXPECT_TRUE(xdotool(server->name(), "search --name '^Velora$' windowunmap"));
    edit.finish();

    const auto shot = kOwn / "remembered.png";
    Command run(host() + " --time-info no screenshot " + shot.string() + " --program 1 --scale 2");
    ASSERT_EQ((run.finish(), run.status), 0);
    const Picture seen = readPng(shot);
    EXPECT_EQ(seen.width, 576);
    EXPECT_TRUE(seen.rgb == headlessEditorAt("1.5").rgb);
    std::filesystem::remove_all(kConfig);
}

// The plug-in file loaded here, with a top-level window of the test's own
// as the editor's parent.
class EditorAbiTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        plugin = host::PluginInstance::load(VELORA_PLUGIN_FILE, error);
        ASSERT_TRUE(plugin) << error;
        plugin->open();
        display = XOpenDisplay(server->name().c_str());
        ASSERT_TRUE(display);
        parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 384, 410, 0, 0, 0);
        XMapWindow(display, parent);
        XSync(display, False);
    }
    void TearDown() override {
        plugin.reset();
        if (display) XCloseDisplay(display);
    }
    void* handle(Window window) const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }
    unsigned children() const {
        Window root = 0, up = 0, *list = nullptr;
        unsigned count = 0;
        XQueryTree(display, parent, &root, &up, &list, &count);
        if (list) XFree(list);
        return count;
    }
    void idle(int rounds = 5) {
        for (int i = 0; i < rounds; ++i) {
            plugin->dispatch(vst::effEditIdle);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    std::unique_ptr<host::PluginInstance> plugin;
    Display* display = nullptr;
    Window parent = 0;
};

std::size_t openFiles() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator{}));
}

TEST_F(EditorAbiTest, TwentyOpensAndClosesLeaveNoWindowAndNoConnection) {
    const std::size_t files = openFiles();
    for (int round = 0; round < 20; ++round) {
        ASSERT_EQ(plugin->dispatch(vst::effEditOpen, 0, 0, handle(parent)), 1) << round;
        idle();
        EXPECT_EQ(children(), 1u) << round;
        plugin->dispatch(vst::effEditClose);
        XSync(display, False);
        EXPECT_EQ(children(), 0u) << round;
    }
    EXPECT_EQ(openFiles(), files);
}

TEST_F(EditorAbiTest, BadParentsRepeatedCallsAndADestroyedParentAreSurvived) {
    plugin->dispatch(vst::effEditClose);  // never opened
    idle();
    for (void* bad : {static_cast<void*>(nullptr), handle(0x7FFFFF0)}) {
        plugin->dispatch(vst::effEditOpen, 0, 0, bad);
        idle();
        plugin->dispatch(vst::effEditClose);
    }
    // Twice: the second open replaces the first window.
    EXPECT_EQ(plugin->dispatch(vst::effEditOpen, 0, 0, handle(parent)), 1);
    EXPECT_EQ(plugin->dispatch(vst::effEditOpen, 0, 0, handle(parent)), 1);
    idle();
    XSync(display, False);
    EXPECT_EQ(children(), 1u);
    // The host destroys its window before closing the editor.
    XDestroyWindow(display, parent);
    XSync(display, False);
    idle();
    plugin->dispatch(vst::effEditClose);
    plugin->dispatch(vst::effEditClose);
}

TEST_F(EditorAbiTest, NoXServerOrALostOneIsSurvived) {
    const std::string shared = server->name();
    // No DISPLAY: the editor does not open, and says so.
    unsetenv("DISPLAY");
    EXPECT_EQ(plugin->dispatch(vst::effEditOpen, 0, 0, handle(parent)), 0);
    idle();
    plugin->dispatch(vst::effEditClose);
    // A server that goes away while the editor is open on it.
    XServer lost;
    ASSERT_TRUE(lost.start());
    setenv("DISPLAY", lost.name().c_str(), 1);
    Display* other = XOpenDisplay(lost.name().c_str());
    ASSERT_TRUE(other);
    const Window otherParent = XCreateSimpleWindow(other, DefaultRootWindow(other), 0, 0, 384, 410, 0, 0, 0);
    XMapWindow(other, otherParent);
    XSync(other, False);
    EXPECT_EQ(plugin->dispatch(vst::effEditOpen, 0, 0, handle(otherParent)), 1);
    idle();
    // The parent outlives our connection, which must be gone before the
    // server (the editor's connection keeps the server from resetting).
    XSetCloseDownMode(other, RetainPermanent);
    XCloseDisplay(other);
    lost.kill();
    idle();
    plugin->dispatch(vst::effEditClose);
    setenv("DISPLAY", shared.c_str(), 1);
}

// velora-host.exe with velora.dll beside it, under Wine in a prefix of the
// test's own, on the test's X server.
std::string wineHost() {
    return "env WINEPREFIX=" + (kWork / "wineprefix").string() +
           " WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= wine " + VELORA_WINDOWS_BUILD + "/velora-host.exe";
}

class UnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::string(VELORA_WINDOWS_BUILD).empty()) GTEST_SKIP() << "no Windows build given";
    }
    // Wine's own processes end before their X server goes.
    void TearDown() override {
        Command("env WINEPREFIX=" + (kWork / "wineprefix").string() + " timeout 30 wineserver -w").finish();
    }
};

// Mean difference of the colour channels inside a rectangle, 0..255.
double meanDifference(const Picture& a, const Picture& b, const gui::Rect& r) {
    double sum = 0.0;
    int count = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x, count += 3)
            for (int c = 0; c < 3; ++c) sum += std::abs(a.at(x, y)[c] - b.at(x, y)[c]);
    return count > 0 ? sum / count : 0.0;
}

TEST_F(UnderWine, ScreenshotShowsTheSameLayout) {
    const auto shot = kOwn / "windows.png";
    Command run("timeout 120 " + wineHost() + " --time-info no screenshot " + shot.string() + " --program 1");
    const std::string output = run.finish();
    ASSERT_EQ(run.status, 0) << output;
    const Picture expected = headlessEditor();
    const Picture seen = readPng(shot);
    ASSERT_EQ(seen.width, expected.width);
    ASSERT_EQ(seen.height, expected.height);
    // Every control where the layout puts it, drawn from the same bitmaps;
    // GDI's text may differ from ours.
    for (const auto& row : editor::kControlTable) {
        if (row.kind == editor::ControlKind::StatusField) continue;
        EXPECT_LT(meanDifference(seen, expected, row.rect), 8.0) << "control " << row.tag;
    }
    EXPECT_LT(meanDifference(seen, expected, {0, 0, editor::kFrameWidth, editor::kFrameHeight}), 8.0);
}

TEST_F(UnderWine, HeldAndQuickClicksChangeParameters) {
    Command edit("timeout 120 " + wineHost() + " edit --program 1 --seconds 4");
    const gui::Point origin = editorOrigin(edit);
    ASSERT_GE(origin.h, 0) << "the editor did not open";
    // A held click, and xdotool's click, released before the press is served.
    EXPECT_TRUE(xdotool(server->name(), at(origin, centre(64)) + "mousedown 1 sleep 0.1 mouseup 1 sleep 0.2 " +
                                            at(origin, centre(76)) + "click 1 sleep 0.2 " + at(origin, centre(98)) +
                                            "click 1 sleep 0.2 click 1"));
    const std::string report = edit.finish();
    EXPECT_EQ(edit.status, 0) << report;
    const auto changed = changes(report);
    for (int toggle : {64, 76}) {
        ASSERT_EQ(changed.count(toggle), 1u) << toggle << "\n" << report;
        EXPECT_EQ(changed.at(toggle).second, 1.0f - changed.at(toggle).first) << report;
    }
    EXPECT_EQ(changed.count(98), 0u) << "Midi Learn clicked twice\n" << report;
}

TEST_F(UnderWine, HandlesAreTakenWhereDrawnAndOnlyMovesAutomate) {
    checkHandleSession("timeout 120 " + wineHost(), 12);
}

// Both Windows builds at 200 %, asked for by the host's message or by the
// DPI setting of the Wine prefix (what a desktop at 200 % reports).
class UnderWineAtTwice : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        folder = GetParam() == std::string("win32") ? VELORA_WINDOWS_BUILD : VELORA_WINDOWS64_BUILD;
        if (folder.empty()) GTEST_SKIP() << "no " << GetParam() << " build given";
        std::filesystem::remove_all(kConfig);
    }
    void TearDown() override {
        if (folder.empty()) return;
        if (dpiSet) setDpi(0);
        Command("env WINEPREFIX=" + (kWork / "wineprefix").string() + " timeout 30 wineserver -w").finish();
    }
    std::string wine() const {
        return "env WINEPREFIX=" + (kWork / "wineprefix").string() +
               " WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= " + "XDG_CONFIG_HOME=" + kConfig.string() +
               " timeout 120 wine ";
    }
    std::string hostExe() const {
        return wine() + folder + (GetParam() == std::string("win32") ? "/velora-host.exe" : "/velora-host64.exe");
    }
    // 0 takes the setting away (96, 100 %).
    void setDpi(int dpi) {
        dpiSet = dpi > 0;
        const std::string key = " reg %s 'HKCU\\Control Panel\\Desktop' /v LogPixels /f";
        char command[256];
        if (dpi > 0)
            std::snprintf(command, sizeof command, (key + " /t REG_DWORD /d %d").c_str(), "add", dpi);
        else
            std::snprintf(command, sizeof command, key.c_str(), "delete");
        Command(wine() + command).finish();
    }
    std::string folder;
    bool dpiSet = false;
};

// The host's message: the screenshot of each build at 200 %.
TEST_P(UnderWineAtTwice, ScreenshotAtTheHostsScaleShowsTheLargerEditor) {
    const Picture expected = headlessEditorAt("2");
    const auto shot = kOwn / "windows-twice.png";
    Command run(hostExe() + " --time-info no screenshot " + shot.string() + " --program 1 --scale 2");
    const std::string output = run.finish();
    ASSERT_EQ(run.status, 0) << output;
    const Picture seen = readPng(shot);
    ASSERT_EQ(seen.width, expected.width);
    ASSERT_EQ(seen.height, expected.height);
    // Every control where the layout puts it at twice the size; GDI's text
    // may differ from ours.
    for (const auto& row : editor::kControlTable) {
        if (row.kind == editor::ControlKind::StatusField) continue;
        const gui::Rect r = gui::scaled(row.rect, gui::Scale::x200);
        EXPECT_LT(meanDifference(seen, expected, r), 8.0) << "control " << row.tag;
    }
    EXPECT_LT(meanDifference(seen, expected, {0, 0, expected.width, expected.height}), 8.0);
}

// The prefix's DPI setting at 192: the editor opens at 200 % by itself, and
// clicks at twice the coordinates reach its controls.
TEST_P(UnderWineAtTwice, DpiSettingOpensTheLargerEditorAndClicksReachIt) {
    if (GetParam() != std::string("win64")) GTEST_SKIP() << "one build is enough for the system's setting";
    setDpi(192);
    Command edit(hostExe() + " edit --program 1 --seconds 3");
    int x = -1, y = -1, width = 0, height = 0;
    for (std::string line; (line = edit.line()) != "";)
        if (std::sscanf(line.c_str(), "editor open at %d,%d size %dx%d", &x, &y, &width, &height) == 4) break;
    ASSERT_GE(x, 0) << "the editor did not open";
    EXPECT_EQ(width, 768);
    EXPECT_EQ(height, 820);
    const gui::Point origin{x, y};
    EXPECT_TRUE(xdotool(server->name(), at(origin, twice(centre(64))) + "click 1 sleep 0.2 " +
                                            at(origin, twice(centre(76))) + "click 1 sleep 0.2"));
    const std::string report = edit.finish();
    const auto changed = changes(report);
    for (int toggle : {64, 76}) {
        ASSERT_EQ(changed.count(toggle), 1u) << toggle << "\n" << report;
        EXPECT_EQ(changed.at(toggle).second, 1.0f - changed.at(toggle).first) << report;
    }
}

INSTANTIATE_TEST_SUITE_P(Builds, UnderWineAtTwice, ::testing::Values("win32", "win64"));

}  // namespace
}  // namespace velora::gui::test
