// SPDX-License-Identifier: MIT
#pragma once
// The frame's child window in the host's X11 parent: the frame's pixels in
// memory, drawn by the software canvas and shown with XPutImage.
#include <memory>

#include "gui/platform/platform.h"
#include "gui/platform/x11/image_presenter.h"
#include "gui/software/pixel_image.h"

namespace velora::gui::x11 {

class X11Platform;
class X11EditBox;

class X11Window final : public PlatformWindow {
public:
    // Makes and maps the window; check isCreated() afterwards.
    X11Window(X11Platform& platform, ::Window parent, const Rect& size, WindowEvents& events);
    ~X11Window() override;

    bool isCreated() const { return id_ != 0; }
    ::Window id() const { return id_; }
    WindowEvents& events() { return events_; }

    std::unique_ptr<Canvas> surface() override;
    void invalidate(const Rect& area) override;
    Point pointer() override;
    std::unique_ptr<EditBox> createEditBox(const EditBoxSetup& setup, EditBoxEvents& events) override;

    // Serves the pending paint, if any; true when there was one.
    bool servePaint();
    // The window went away under us (its parent was destroyed, or the
    // server connection was lost); reported to the frame once.
    void lost();
    bool isGone() const { return gone_; }
    X11EditBox* editBox() const { return editBox_; }
    // Sends the area to the server as it is now.
    void present(const Rect& area);
    // Sends only what changed since the last sending.
    void presentChanges();
    PixelImage& pixels() { return screen_; }

private:
    friend class X11EditBox;
    void setEventProcedure();

    X11Platform& platform_;
    WindowEvents& events_;
    ::Window id_ = 0;
    Visual* visual_ = nullptr;
    int depth_ = 0;
    PixelImage screen_;
    PixelImage shown_;  // what the server was last sent
    std::unique_ptr<ImagePresenter> presenter_;
    Rect pending_;
    bool paintPending_ = false;
    bool gone_ = false;
    X11EditBox* editBox_ = nullptr;
};

}  // namespace velora::gui::x11
