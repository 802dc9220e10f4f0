// SPDX-License-Identifier: MIT
#include "gui/platform/headless/headless_platform.h"

#include <algorithm>
#include <cstdio>

#include "gui/software/software_canvas.h"

namespace velora::gui {
namespace {

// Stands in for the module's instance handle in the window class name.
constexpr unsigned kModuleHandle = 0x6d400000u;

class CountedImage : public SoftwareImage {
public:
    CountedImage(PixelImage pixels, std::shared_ptr<int> live)
        : SoftwareImage(std::move(pixels)), live_(std::move(live)) {
        ++*live_;
    }
    ~CountedImage() override { --*live_; }

private:
    std::shared_ptr<int> live_;
};

Rect unite(const Rect& a, const Rect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

}  // namespace

// Edit box

HeadlessEditBox::HeadlessEditBox(HeadlessWindow& window, const EditBoxSetup& setup, EditBoxEvents& events)
    : window_(window), setup_(setup), events_(events), text_(setup.text) {
    window_.editBox_ = this;
}

HeadlessEditBox::~HeadlessEditBox() {
    if (window_.editBox_ == this) window_.editBox_ = nullptr;
    window_.invalidate(setup_.area);  // what was under the box shows again
}

void HeadlessEditBox::type(const std::string& typed) {
    text_ = allSelected_ ? typed : text_ + typed;
    allSelected_ = false;
    if (setup_.maxLength >= 0 && text_.size() > static_cast<std::size_t>(setup_.maxLength))
        text_.resize(static_cast<std::size_t>(setup_.maxLength));
}

void HeadlessEditBox::pressReturn() { events_.returnPressed(); }

void HeadlessEditBox::loseKeyboardFocus() {
    focused_ = false;
    events_.focusLost();
}

// Window

HeadlessWindow::HeadlessWindow(HeadlessPlatform& platform, void* parent, const Rect& size, WindowEvents& events)
    : platform_(platform),
      parent_(parent),
      events_(events),
      screen_(size.width(), size.height(), Colour{212, 208, 200}) {}

HeadlessWindow::~HeadlessWindow() { platform_.forget(this); }

std::unique_ptr<Canvas> HeadlessWindow::surface() { return std::make_unique<SoftwareCanvas>(screen_); }

void HeadlessWindow::invalidate(const Rect& area) {
    pending_ = paintPending_ ? unite(pending_, area) : area;
    paintPending_ = true;
}

Point HeadlessWindow::pointer() { return platform_.input().pointer; }

std::unique_ptr<EditBox> HeadlessWindow::createEditBox(const EditBoxSetup& setup, EditBoxEvents& events) {
    if (editBox_) return nullptr;  // one at a time, as one keyboard focus
    return std::make_unique<HeadlessEditBox>(*this, setup, events);
}

void HeadlessWindow::paintArea(const Rect& area) {
    const Rect visible = area.clippedTo(screen_.bounds());
    if (visible.isEmpty()) return;
    SoftwareCanvas canvas(screen_);
    canvas.setClip(visible);
    events_.paint(canvas, visible);
}

bool HeadlessWindow::servePaint() {
    if (!paintPending_) return false;
    paintPending_ = false;
    paintArea(pending_);
    return true;
}

void HeadlessWindow::exposeAll() {
    paintPending_ = false;
    paintArea(screen_.bounds());
}

void HeadlessWindow::press(Point where, int buttons) {
    platform_.setInput({where, buttons});
    if (editBox_) {
        const Rect& box = editBox_->setup().area;
        if (where.h >= box.left && where.h < box.right && where.v >= box.top && where.v < box.bottom)
            return;  // the box handles its own presses
    }
    auto canvas = surface();
    events_.buttonDown(*canvas, where);
}

bool HeadlessWindow::drop(const std::vector<std::string>& items, int kind, Point where) {
    std::vector<const char*> pointers;
    for (const auto& item : items) pointers.push_back(item.c_str());
    return events_.drop(pointers.data(), static_cast<int>(pointers.size()), kind, where);
}

// Platform

HeadlessPlatform::HeadlessPlatform() = default;

HeadlessPlatform::~HeadlessPlatform() = default;

void HeadlessPlatform::scriptDrag(std::vector<InputState> rounds) { script_.assign(rounds.begin(), rounds.end()); }

void HeadlessPlatform::pollInput() {
    ++polls_;
    if (script_.empty()) {
        live_.buttons = 0;
        return;
    }
    live_ = script_.front();
    script_.pop_front();
}

void HeadlessPlatform::dispatchOnePaint() {
    for (HeadlessWindow* window : windows_)
        if (window->servePaint()) return;
}

std::unique_ptr<PlatformWindow> HeadlessPlatform::createWindow(void* parent, const Rect& size, WindowEvents& events) {
    if (registrations_++ == 0) {
        char name[32];
        std::snprintf(name, sizeof name, "Plugin%08x", kModuleHandle);
        className_ = name;
    }
    auto window = std::make_unique<HeadlessWindow>(*this, parent, size, events);
    windows_.push_back(window.get());
    return window;
}

void HeadlessPlatform::forget(HeadlessWindow* window) {
    windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
    if (--registrations_ == 0) className_.clear();
}

std::unique_ptr<PlatformImage> HeadlessPlatform::loadBitmap(int resourceId) {
    const auto found = bitmaps_.find(resourceId);
    if (found == bitmaps_.end()) return nullptr;
    return std::make_unique<CountedImage>(found->second, liveImages_);
}

}  // namespace velora::gui
