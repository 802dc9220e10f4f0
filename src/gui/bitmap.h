// SPDX-License-Identifier: MIT
#pragma once
// A reference-counted bitmap resource. Loading gives one reference; every
// holder retains its own and releases it once; the last release frees the
// image and the object.
#include <memory>

#include "gui/canvas.h"
#include "gui/geometry.h"

namespace velora::gui {

class Platform;

class Bitmap {
public:
    // Never null; a missing resource gives a bitmap of 0 x 0 that draws
    // nothing.
    static Bitmap* load(Platform& platform, int resourceId);
    static Bitmap* fromImage(std::unique_ptr<PlatformImage> image, int resourceId = 0);

    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

    void retain() { ++references_; }
    // A release with no reference left does nothing.
    void release();
    int references() const { return references_; }

    int resourceId() const { return resourceId_; }
    bool isLoaded() const { return image_ != nullptr; }
    int width() const { return image_ ? image_->width() : 0; }
    int height() const { return image_ ? image_->height() : 0; }
    void setTransparentColour(Colour colour) { transparentColour_ = colour; }
    Colour transparentColour() const { return transparentColour_; }

    void draw(Canvas& canvas, const Rect& dest, Point source = {}) const;
    void drawTransparent(Canvas& canvas, const Rect& dest, Point source = {}) const;

private:
    Bitmap(std::unique_ptr<PlatformImage> image, int resourceId);
    ~Bitmap() = default;

    int resourceId_;
    int references_ = 1;
    std::unique_ptr<PlatformImage> image_;
    Colour transparentColour_ = kWhite;
};

// One retained reference to a bitmap (or none), released exactly once.
class BitmapRef {
public:
    BitmapRef() = default;
    explicit BitmapRef(Bitmap* bitmap) : bitmap_(bitmap) {
        if (bitmap_) bitmap_->retain();
    }
    BitmapRef(const BitmapRef& other) : BitmapRef(other.bitmap_) {}
    BitmapRef& operator=(const BitmapRef& other) {
        reset(other.bitmap_);
        return *this;
    }
    ~BitmapRef() { reset(nullptr); }

    // Retains the new bitmap before releasing the old one, so that setting
    // the same bitmap again is safe.
    void reset(Bitmap* bitmap) {
        if (bitmap) bitmap->retain();
        if (bitmap_) bitmap_->release();
        bitmap_ = bitmap;
    }
    Bitmap* get() const { return bitmap_; }
    Bitmap* operator->() const { return bitmap_; }
    explicit operator bool() const { return bitmap_ != nullptr; }

private:
    Bitmap* bitmap_ = nullptr;
};

}  // namespace velora::gui
