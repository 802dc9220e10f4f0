// SPDX-License-Identifier: MIT
// The native Windows backend in a real window system (Wine on its own X
// server): a host window, frames of toolkit controls, the mouse through
// SendInput and the live button state, the edit box through its messages.
#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "gui/frame.h"
#include "gui/platform/win32/drop_data.h"
#include "gui/platform/win32/drop_target.h"
#include "gui/platform/win32/frame_window.h"
#include "gui/platform/win32/gdi_canvas.h"
#include "gui/platform/win32/win32_platform.h"
#include "gui/platform/win32/window_class.h"
#include "gui/slider.h"
#include "gui/text_field.h"
#include "gui/toggle_button.h"
#include "gui/value_display.h"

using namespace velora::gui;

namespace {

int failures = 0;

void check(bool ok, const char* what, int line) {
    if (ok) return;
    ++failures;
    std::printf("FAILED (line %d): %s\n", line, what);
}
#define CHECK(...) check((__VA_ARGS__), #__VA_ARGS__, __LINE__)

// Serves the thread's messages until `done` holds or the time is up.
bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds = 3000) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(5);
    }
}
void pump(DWORD milliseconds) {
    pumpUntil([] { return false; }, milliseconds);
}

HWND makeHostWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA host{};
        host.lpfnWndProc = DefWindowProcA;
        host.hInstance = GetModuleHandleA(nullptr);
        host.lpszClassName = "VeloraTestHost";
        registered = RegisterClassA(&host) != 0;
    }
    HWND window = CreateWindowExA(0, "VeloraTestHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 50,
                                  50, 420, 460, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(window);
    pump(100);
    return window;
}

struct Owner : FrameOwner, ValueListener {
    int begins = 0, ends = 0, changes = 0, rounds = 0;
    std::function<void(int)> duringDrag;
    void beginEdit(std::int32_t) override { ++begins; }
    void endEdit(std::int32_t) override { ++ends; }
    void idleDuringDrag() override {
        ++rounds;
        if (duringDrag) duringDrag(rounds);
    }
    int knobMode() const override { return 0; }
    void valueChanged(Canvas*, Control*) override { ++changes; }
};

class ProbeView : public View {
public:
    using View::View;
    void draw(Canvas&) override { ++draws; }
    int draws = 0;
};

HWND handleOf(const Frame& frame) {
    auto* window = dynamic_cast<win32::FrameWindow*>(frame.window());
    return window ? window->handle() : nullptr;
}

bool classRegistered() {
    WNDCLASSA description;
    return win32::windowClassName()[0] &&
           GetClassInfoA(GetModuleHandleA(nullptr), win32::windowClassName(), &description);
}

void moveMouse(HWND frame, Point where) {
    POINT screen{where.h, where.v};
    ClientToScreen(frame, &screen);
    SetCursorPos(screen.x, screen.y);
}

INPUT mouseInput(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

void sendButton(DWORD flags) {
    INPUT input = mouseInput(flags);
    SendInput(1, &input, sizeof input);
}

// Presses the left button at a point until `done`, then lets go.
bool click(HWND frame, Point where, const std::function<bool()>& done) {
    moveMouse(frame, where);
    sendButton(MOUSEEVENTF_LEFTDOWN);
    const bool reached = pumpUntil(done);
    sendButton(MOUSEEVENTF_LEFTUP);
    pump(50);
    return reached;
}

void windowClassAndPaints(Platform& platform, HWND host) {
    Owner owner;
    auto first = std::make_unique<Frame>(Rect{0, 0, 200, 150}, host, &owner, platform);
    auto* probe = new ProbeView({0, 0, 20, 20});
    auto* fill = new ValueDisplay({40, 40, 80, 80}, nullptr, 1, nullptr, ValueDisplay::kNoText);
    fill->setBackColour(kMagenta);
    first->addView(probe);
    first->addView(fill);
    HWND window = handleOf(*first);
    CHECK(first->isOpen() && window);

    char expected[32];
    std::snprintf(expected, sizeof expected, "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr))));
    CHECK(FindWindowExA(host, nullptr, expected, "Window") == window);
    RECT client{};
    GetClientRect(window, &client);
    CHECK(client.right == 200 && client.bottom == 150 && IsWindowVisible(window));

    CHECK(pumpUntil([&] { return !first->firstPaintPending(); }));
    CHECK(probe->draws >= 1);
    HDC dc = GetDC(window);
    CHECK(GetPixel(dc, 60, 60) == RGB(255, 0, 255));
    ReleaseDC(window, dc);

    // One pending paint is taken and served without the message loop.
    const int before = probe->draws;
    first->window()->invalidate({0, 0, 10, 10});
    platform.dispatchOnePaint();
    CHECK(probe->draws == before + 1);
    CHECK(dynamic_cast<win32::FrameWindow*>(first->window())->dropTargetRegistered());

    // The class is registered once for both frames and goes with the last.
    auto second = std::make_unique<Frame>(Rect{0, 0, 100, 100}, host, &owner, platform);
    CHECK(second->isOpen() && win32::windowClassUsers() == 2);
    first.reset();
    CHECK(classRegistered() && IsWindow(handleOf(*second)));
    second.reset();
    CHECK(!classRegistered() && win32::windowClassUsers() == 0);
}

// A frame with a toggle and a horizontal slider (1-pixel handle, 100 pixels
// of travel from x 20), painted once.
struct ToggleAndSlider {
    ToggleAndSlider(Platform& platform, HWND host) : frame({0, 0, 200, 150}, host, &owner, platform) {
        frame.addView(toggle);
        frame.addView(slider);
        window = handleOf(frame);
        pumpUntil([&] { return !frame.firstPaintPending(); });
    }
    Owner owner;
    Frame frame;
    ToggleButton* toggle = new ToggleButton({10, 10, 40, 30}, &owner, 2, nullptr);
    Slider* slider =
        new Slider({20, 50, 120, 70}, &owner, 3, 20, 120, nullptr, nullptr, {}, Slider::kHorizontal | Slider::kLeft);
    HWND window = nullptr;
};

void pressesMoveControls(Platform& platform, HWND host) {
    ToggleAndSlider f(platform, host);
    CHECK(click(f.window, {25, 20}, [&] { return f.owner.changes == 1; }));
    CHECK(f.toggle->getValue() == 1.0f);

    // Drag: the pointer moves on the first round and the button goes up on
    // the third; the handle centre (1 pixel wide) follows the pointer.
    f.owner.rounds = 0;
    f.owner.duringDrag = [&](int round) {
        if (round == 1) moveMouse(f.window, {79, 60});
        if (round >= 3) sendButton(MOUSEEVENTF_LEFTUP);
    };
    moveMouse(f.window, {30, 60});
    sendButton(MOUSEEVENTF_LEFTDOWN);
    CHECK(pumpUntil([&] { return f.owner.ends == 1; }));
    f.owner.duringDrag = nullptr;
    sendButton(MOUSEEVENTF_LEFTUP);
    CHECK(f.owner.begins == 1 && f.slider->getValue() == 0.6f);
}

INPUT keyInput(WORD key, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Starts a program of the machine (Wine starts Unix programs too, but gives
// no handle to wait on) and lets it run a second without serving messages.
bool runWithoutServing(const std::string& program, const std::string& arguments) {
    if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    std::string line = program + " " + arguments;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    Sleep(1000);
    return true;
}

// Clicks whose button is up again before the press is served: the press's
// own message tells the buttons and modifiers.
void quickClicksCount(Platform& platform, HWND host) {
    ToggleAndSlider f(platform, host);
    const std::vector<INPUT> left{mouseInput(MOUSEEVENTF_LEFTDOWN), mouseInput(MOUSEEVENTF_LEFTUP)};
    const std::vector<INPUT> right{mouseInput(MOUSEEVENTF_RIGHTDOWN), mouseInput(MOUSEEVENTF_RIGHTUP)};
    const std::vector<INPUT> controlLeft{keyInput(VK_CONTROL, false), left[0], left[1], keyInput(VK_CONTROL, true)};
    const struct Case {
        const char* what;
        Point at;
        std::vector<INPUT> inputs;
        Control* control;
        float start, expected;
    } cases[] = {
        {"left click toggles", {25, 20}, left, f.toggle, 0.0f, 1.0f},
        {"and back", {25, 20}, left, f.toggle, 1.0f, 0.0f},
        {"right click leaves the toggle", {25, 20}, right, f.toggle, 0.0f, 0.0f},
        {"Control-click restores the default", {70, 60}, controlLeft, f.slider, 0.2f, 0.5f},
        {"a click on the slider puts the handle there", {79, 60}, left, f.slider, 0.2f, 0.6f},
    };
    for (const Case& c : cases) {
        c.control->setValue(c.start);
        f.owner.changes = 0;
        moveMouse(f.window, c.at);
        pump(20);
        // One call: nothing can come between the press and the release.
        std::vector<INPUT> inputs = c.inputs;
        CHECK(SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size());
        const bool expectChange = c.expected != c.start;
        pumpUntil([&] { return f.owner.changes > 0; }, expectChange ? 2000 : 200);
        check(c.control->getValue() == c.expected, c.what, __LINE__);
        check(f.owner.changes == (expectChange ? 1 : 0), c.what, __LINE__);
    }

    // The same from the X server's side: xdotool's click, press and release
    // in one go, before this thread looks at its messages.
    f.toggle->setValue(0.0f);
    f.owner.changes = 0;
    POINT screen{25, 20};
    ClientToScreen(f.window, &screen);
    CHECK(runWithoutServing("Z:\\usr\\bin\\xdotool",
                            "mousemove " + std::to_string(screen.x) + " " + std::to_string(screen.y) + " click 1"));
    CHECK(pumpUntil([&] { return f.owner.changes > 0; }));
    CHECK(f.toggle->getValue() == 1.0f && f.owner.changes == 1);
}

void editBoxOpensAndApplies(Platform& platform, HWND host) {
    Owner owner;
    Frame frame({0, 0, 200, 150}, host, &owner, platform);
    auto* field = new TextField({10, 100, 110, 110}, &owner, 4, "0.50", nullptr, 0);
    field->setFont(6);
    field->setBackColour({0, 0, 128});
    frame.addView(field);
    HWND window = handleOf(frame);
    pumpUntil([&] { return !frame.firstPaintPending(); });

    CHECK(click(window, {50, 105}, [&] { return field->isEditing(); }));
    HWND edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    CHECK(edit && GetFocus() == edit);
    DWORD start = 1, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    CHECK(start == 0 && end == 4);
    CHECK(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0) == 255);
    CHECK(SendMessageA(edit, EM_GETMARGINS, 0, 0) == MAKELONG(3, 3));
    RECT box{};
    GetWindowRect(edit, &box);
    CHECK(box.right - box.left == 101 && box.bottom - box.top == 11);
    // Font 6 is 9 pixels; a 10-pixel field allows 8.
    LOGFONTA font{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0)), sizeof font, &font);
    CHECK(font.lfHeight == -8 && font.lfWeight == FW_NORMAL);
    RedrawWindow(edit, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HDC dc = GetDC(edit);
    CHECK(GetPixel(dc, 1, 5) == RGB(0, 0, 128));
    ReleaseDC(edit, dc);

    // Typing replaces the selection; Return applies it and closes the box.
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("0.25"));
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    CHECK(pumpUntil([&] { return !field->isEditing(); }));
    CHECK(field->text() == "0.25" && field->closedByReturn() && owner.changes == 1 && !IsWindow(edit));

    // Losing the keyboard focus applies the text too.
    frame.setFocusView(field);
    field->takeFocus();
    edit = FindWindowExA(window, nullptr, "Edit", nullptr);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("x"));
    SetFocus(host);
    CHECK(pumpUntil([&] { return !field->isEditing(); }));
    CHECK(field->text() == "x" && !field->closedByReturn() && owner.changes == 2);
}

HBITMAP makeBitmap(const std::vector<std::uint32_t>& pixels, int width, int height) {
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap) std::memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
    return bitmap;
}

void keyedBlitsAndResources(Platform& platform) {
    // White is the key; the system blit and the mask fallback agree.
    const std::uint32_t white = 0xFFFFFF, red = 0xFF0000, blue = 0x0000FF;
    const win32::GdiImage image(makeBitmap({white, red, blue, white, red, white, white, blue}, 4, 2), 4, 2);
    const Colour expected[2][4] = {{kGrey, kRed, {0, 0, 255}, kGrey}, {kRed, kGrey, kGrey, {0, 0, 255}}};
    win32::BlendLibrary library;
    HDC screen = GetDC(nullptr);
    const win32::BlendLibrary* blends[] = {&library, nullptr};  // system blit, then the mask
    for (const win32::BlendLibrary* blend : blends) {
        auto canvas = win32::OffscreenCanvas::create(screen, 6, 2, blend);
        canvas->fillRect({0, 0, 6, 2}, kGrey);
        canvas->drawImageKeyed(image, {0, 0, 4, 2}, {}, kWhite);
        canvas->drawImage(image, {4, 0, 6, 2}, {3, 0});  // one column lies beyond the image
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) CHECK(canvas->pixel(x, y) == expected[y][x]);
        CHECK(canvas->pixel(4, 0) == kWhite && canvas->pixel(4, 1) == Colour{0, 0, 255} &&
              canvas->pixel(5, 0) == kGrey);
    }
    ReleaseDC(nullptr, screen);

    auto bitmap = platform.loadBitmap(10001);
    CHECK(bitmap && bitmap->width() > 0 && bitmap->height() > 0);
    CHECK(!platform.loadBitmap(9999) && !platform.loadBitmap(-1) && !platform.loadBitmap(70000));
    // The larger sizes come from raw data; data that does not decode is none.
    auto large = platform.loadBitmap(30002);
    CHECK(large && large->width() == 30 && large->height() == 28);
    CHECK(!platform.loadBitmap(20002) && !platform.loadBitmap(30001));
}

std::string dropBlock(bool wide, const std::vector<std::string>& names, std::size_t cutTo = 0) {
    DROPFILES header{};
    header.pFiles = sizeof header;
    header.fWide = wide;
    std::string block(reinterpret_cast<const char*>(&header), sizeof header);
    for (const std::string& name : names) {
        for (char c : name) block += wide ? std::string{c, '\0'} : std::string{c};
        block += wide ? std::string(2, '\0') : std::string(1, '\0');
    }
    block += wide ? std::string(2, '\0') : std::string(1, '\0');
    if (cutTo) block.resize(cutTo);
    return block;
}

void dropBlocksAreReadWithinTheirBytes() {
    const std::string longName(2000, 'a');
    struct Case {
        std::string block;
        std::vector<std::string> files;
    } cases[] = {
        {dropBlock(false, {"C:\\a.wav", "C:\\b.mid"}), {"C:\\a.wav", "C:\\b.mid"}},
        {dropBlock(true, {"C:\\w.txt"}), {"C:\\w.txt"}},
        {dropBlock(false, {"C:\\a.wav", "C:\\bc"}, sizeof(DROPFILES) + 13), {"C:\\a.wav", "C:\\b"}},
        {dropBlock(false, {longName}), {longName.substr(0, win32::kLongestDroppedPath)}},
        {dropBlock(false, {"x"}, sizeof(DROPFILES) - 1), {}},
        {dropBlock(false, {}), {}},
    };
    for (const Case& c : cases) CHECK(win32::filesFromDropBlock(c.block.data(), c.block.size()) == c.files);
    std::string farOffset = dropBlock(false, {"x"});
    reinterpret_cast<DROPFILES*>(farOffset.data())->pFiles = 5000;
    CHECK(win32::filesFromDropBlock(farOffset.data(), farOffset.size()).empty());
    CHECK(win32::textFromBlock("abc", 3) == "abc" && win32::textFromBlock("ab\0c", 4) == "ab");
}

// Plain text as a drag source offers it.
class TextData final : public IDataObject {
public:
    explicit TextData(const char* text) : text_(text) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
        return format->cfFormat == CF_TEXT ? S_OK : DV_E_FORMATETC;
    }
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (format->cfFormat != CF_TEXT) return DV_E_FORMATETC;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text_.size() + 1);
        std::memcpy(GlobalLock(block), text_.c_str(), text_.size() + 1);
        GlobalUnlock(block);
        *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
        medium->hGlobal = block;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

private:
    std::string text_;
};

struct DropRecorder : WindowEvents {
    bool accept = true;
    std::vector<std::string> items;
    int kind = -1;
    Point where;
    void paint(Canvas&, const Rect&) override {}
    void buttonDown(Canvas&, Point) override {}
    int key(const KeyCode&, bool) override { return kKeyNotHandled; }
    bool drop(const char* const* dropped, int count, int droppedKind, Point at) override {
        items.assign(dropped, dropped + count);
        kind = droppedKind;
        where = at;
        return accept;
    }
    void windowDestroyed() override {}
};

void dropTargetOffersTextAtTheClientPoint(HWND host) {
    DropRecorder events;
    TextData data("hello");
    auto* target = new win32::DropTarget(host, events);
    POINT client{30, 40};
    ClientToScreen(host, &client);
    const POINTL screen{client.x, client.y};
    for (bool accept : {true, false}) {
        events.accept = accept;
        DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->DragEnter(&data, 0, screen, &effect);
        CHECK(effect == DROPEFFECT_COPY);
        effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
        target->Drop(&data, 0, screen, &effect);
        CHECK(effect == (accept ? DROPEFFECT_COPY : DROPEFFECT_NONE));
        CHECK(events.kind == 1 && events.items == std::vector<std::string>{"hello"} && events.where == Point{30, 40});
    }
    // Once the window is going nothing is offered.
    target->detach();
    events.kind = -1;
    DWORD effect = DROPEFFECT_COPY;
    target->DragEnter(&data, 0, screen, &effect);
    target->Drop(&data, 0, screen, &effect);
    CHECK(effect == DROPEFFECT_NONE && events.kind == -1);
    target->Release();
}

void badParentsAndTeardown(Platform& platform, HWND host) {
    Owner owner;
    for (void* parent : {static_cast<void*>(nullptr), reinterpret_cast<void*>(0x4321)}) {
        Frame frame({0, 0, 100, 100}, parent, &owner, platform);
        CHECK(!frame.isOpen());
        frame.idle();
    }
    CHECK(win32::windowClassUsers() == 0 && !classRegistered());

    // The host destroys its window under an open frame with an edit going.
    HWND doomed = makeHostWindow();
    {
        Frame frame({0, 0, 200, 150}, doomed, &owner, platform);
        auto* field = new TextField({10, 10, 110, 30}, &owner, 4, "1", nullptr, 0);
        frame.addView(field);
        pumpUntil([&] { return !frame.firstPaintPending(); });
        frame.setFocusView(field);
        field->takeFocus();
        DestroyWindow(doomed);
        pump(50);
        CHECK(!frame.isOpen() && frame.window()->surface() == nullptr);
        frame.idle();
    }
    CHECK(win32::windowClassUsers() == 0 && !classRegistered());

    // Twenty opens and closes with bitmaps, an off-screen slider and an edit.
    const DWORD objectsBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int round = 0; round < 20; ++round) {
        Frame frame({0, 0, 200, 150}, host, &owner, platform);
        Bitmap* background = Bitmap::load(platform, 10001);
        frame.setBackground(background);
        background->release();
        frame.addView(new Slider({20, 50, 120, 70}, &owner, 3, 20, 120, nullptr, nullptr, {}, 0));
        auto* field = new TextField({10, 100, 110, 120}, &owner, 4, "1", nullptr, 0);
        frame.addView(field);
        pumpUntil([&] { return !frame.firstPaintPending(); });
        frame.setFocusView(field);
        field->takeFocus();
        CHECK(field->isEditing());
    }
    pump(50);
    CHECK(GetWindow(host, GW_CHILD) == nullptr && win32::windowClassUsers() == 0 && !classRegistered());
    CHECK(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) == objectsBefore);
}

}  // namespace

int main() {
    std::unique_ptr<Platform> platform = createWin32Platform();
    HWND host = makeHostWindow();
    if (!host) {
        std::printf("FAILED: no host window\n");
        return 1;
    }
    const struct {
        const char* name;
        std::function<void()> run;
    } groups[] = {
        {"window class, child window and paints", [&] { windowClassAndPaints(*platform, host); }},
        {"presses move controls", [&] { pressesMoveControls(*platform, host); }},
        {"quick clicks count", [&] { quickClicksCount(*platform, host); }},
        {"edit box opens selected, Return and focus loss apply", [&] { editBoxOpensAndApplies(*platform, host); }},
        {"keyed blits and bitmap resources", [&] { keyedBlitsAndResources(*platform); }},
        {"drop blocks read within their bytes", [] { dropBlocksAreReadWithinTheirBytes(); }},
        {"drop target offers text at the client point", [&] { dropTargetOffersTextAtTheClientPoint(host); }},
        {"bad parents, destroyed parent, twenty rounds", [&] { badParentsAndTeardown(*platform, host); }},
    };
    for (const auto& group : groups) {
        const int before = failures;
        group.run();
        std::printf("%s: %s\n", failures == before ? "ok" : "FAILED", group.name);
    }
    DestroyWindow(host);
    return failures == 0 ? 0 : 1;
}
