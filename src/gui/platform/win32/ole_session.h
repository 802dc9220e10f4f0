// SPDX-License-Identifier: MIT
#pragma once
// OLE for the calling thread while a frame window lives: drag and drop
// needs it. Every successful OleInitialize (including "already initialised")
// is paired with one OleUninitialize; a thread set up for another apartment
// model is left alone.
#include <ole2.h>

namespace velora::gui::win32 {

class OleSession {
public:
    OleSession() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
    ~OleSession() {
        if (initialised_) OleUninitialize();
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

    bool ready() const { return initialised_; }

private:
    bool initialised_;
};

}  // namespace velora::gui::win32
