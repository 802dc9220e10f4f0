// SPDX-License-Identifier: MIT
#pragma once
// The frame window's OLE drop target: dragged files and plain text are
// offered, with the drop point, to the frame, which hands them to its views
// (and refuses them while a modal or focus view is set).
#include <ole2.h>

#include "gui/platform/platform.h"

namespace velora::gui::win32 {

class DropTarget final : public IDropTarget {
public:
    // One reference for the creator, released with release().
    DropTarget(HWND window, WindowEvents& events) : window_(window), events_(&events) {}

    // The window is going: nothing is offered any more, even if OLE still
    // holds a reference.
    void detach() { events_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL where, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL where, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL where, DWORD* effect) override;

private:
    ~DropTarget() = default;
    bool offer(IDataObject* data, POINTL where);

    LONG references_ = 1;
    HWND window_;
    WindowEvents* events_;
    bool acceptable_ = false;  // the data being dragged holds files or text
};

}  // namespace velora::gui::win32
