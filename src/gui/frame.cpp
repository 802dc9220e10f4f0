// SPDX-License-Identifier: MIT
#include "gui/frame.h"

namespace velora::gui {

Frame::Frame(const Rect& size, void* parentWindow, FrameOwner* owner, Platform& platform)
    : View(size), platform_(platform), owner_(owner), parentWindow_(parentWindow) {
    views_.reserve(20);
    window_ = platform_.createWindow(parentWindow, size, *this);
    open_ = window_ != nullptr;
}

Frame::~Frame() {
    focusView_ = nullptr;
    modalView_ = nullptr;
    views_.clear();
    background_.reset(nullptr);
    window_.reset();
}

void Frame::addView(View* view) {
    if (!view) return;
    views_.emplace_back(view);
    view->attached(this);
}

View* Frame::viewAt(int index) const {
    return index >= 0 && index < viewCount() ? views_[static_cast<std::size_t>(index)].get() : nullptr;
}

void Frame::setFocusView(View* view) {
    View* old = focusView_;
    focusView_ = view;
    if (old && old != view) old->loseFocus();
}

void Frame::draw(Canvas& canvas) {
    firstPaintPending_ = false;
    if (background_) background_->draw(canvas, size_, {0, 0});
    for (auto& view : views_) view->drawRect(canvas, size_);
    if (modalView_) modalView_->drawRect(canvas, size_);
}

void Frame::drawRect(Canvas& canvas, const Rect& area) {
    firstPaintPending_ = false;
    if (background_) background_->draw(canvas, area, area.topLeft());
    for (auto& view : views_)
        if (view->intersects(area)) view->drawRect(canvas, area);
    if (modalView_ && modalView_->intersects(area)) modalView_->drawRect(canvas, area);
}

void Frame::mouse(Canvas& canvas, Point where) {
    if (View* focus = focusView_) {
        focus->loseFocus();
        focusView_ = nullptr;
    }
    (void)buttonWord();  // the views read the live word themselves
    if (modalView_) {
        modalView_->mouse(canvas, where);
        return;
    }
    for (auto view = views_.rbegin(); view != views_.rend(); ++view) {
        if ((*view)->getMouseEnabled() && (*view)->mouseArea().contains(where)) {
            (*view)->mouse(canvas, where);
            return;
        }
    }
    if (owner_) owner_->pressedOutsideViews(canvas, where);
}

template <typename Offer>
int Frame::offerKey(Offer offer) {
    if (focusView_) {
        const int result = offer(*focusView_);
        if (result != kKeyNotHandled || focusView_->holdsKeys()) return result;
    }
    if (modalView_) {
        if (int result = offer(*modalView_); result != kKeyNotHandled) return result;
    }
    for (auto view = views_.rbegin(); view != views_.rend(); ++view)
        if (int result = offer(**view); result != kKeyNotHandled) return result;
    return kKeyNotHandled;
}

int Frame::onKeyDown(const KeyCode& key) {
    return offerKey([&](View& view) { return view.onKeyDown(key); });
}

int Frame::onKeyUp(const KeyCode& key) {
    return offerKey([&](View& view) { return view.onKeyUp(key); });
}

bool Frame::onDrop(const char* const* items, int count, int kind, Point where) {
    if (modalView_ || focusView_ || !items || count <= 0) return false;
    for (auto view = views_.rbegin(); view != views_.rend(); ++view) {
        if ((*view)->getMouseEnabled() && (*view)->rect().contains(where) && (*view)->onDrop(items, count, kind, where))
            return true;
    }
    return false;
}

bool Frame::anyViewDirty() const {
    for (const auto& view : views_)
        if (view->isDirty()) return true;
    return false;
}

void Frame::idle() {
    if (!open_ || firstPaintPending_ || !window_) return;
    if (!modalView_ && !View::isDirty() && !anyViewDirty()) return;
    std::unique_ptr<Canvas> canvas = window_->surface();
    if (!canvas) return;
    if (modalView_) {
        modalView_->update(*canvas);
    } else if (View::isDirty()) {
        clearDirtyFlagForDraw();
        draw(*canvas);
    } else {
        for (auto& view : views_) view->update(*canvas);
    }
}

void Frame::beginEdit(std::int32_t tag) {
    if (owner_) owner_->beginEdit(tag);
}

void Frame::endEdit(std::int32_t tag) {
    if (owner_) owner_->endEdit(tag);
}

void Frame::idleDuringDrag() {
    if (owner_) owner_->idleDuringDrag();
}

Point Frame::pointerLocation() const {
    platform_.pollInput();
    return window_ ? window_->pointer() : Point{};
}

void Frame::windowDestroyed() {
    open_ = false;
    parentWindow_ = nullptr;
}

}  // namespace velora::gui
