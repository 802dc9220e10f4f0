// SPDX-License-Identifier: MIT
#include "gui/platform/win32/drop_target.h"

#include <string>
#include <vector>

#include "gui/platform/win32/drop_data.h"

namespace velora::gui::win32 {
namespace {

enum Kind { kFiles = 0, kText = 1 };

FORMATETC formatOf(CLIPFORMAT format) { return FORMATETC{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

bool holds(IDataObject* data, CLIPFORMAT format) {
    FORMATETC wanted = formatOf(format);
    return data && data->QueryGetData(&wanted) == S_OK;
}

// The bytes of one format of the data, read through `read`.
template <typename Read>
bool readGlobal(IDataObject* data, CLIPFORMAT format, Read read) {
    FORMATETC wanted = formatOf(format);
    STGMEDIUM medium{};
    if (data->GetData(&wanted, &medium) != S_OK) return false;
    bool done = false;
    if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
        if (const void* bytes = GlobalLock(medium.hGlobal)) {
            read(bytes, GlobalSize(medium.hGlobal));
            GlobalUnlock(medium.hGlobal);
            done = true;
        }
    }
    ReleaseStgMedium(&medium);
    return done;
}

DWORD allowedCopy(const DWORD* effect) {
    return effect && (*effect & DROPEFFECT_COPY) ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

}  // namespace

HRESULT STDMETHODCALLTYPE DropTarget::QueryInterface(REFIID id, void** object) {
    if (!object) return E_POINTER;
    if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DropTarget::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG STDMETHODCALLTYPE DropTarget::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE DropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    acceptable_ = holds(data, CF_HDROP) || holds(data, CF_TEXT);
    if (effect) *effect = acceptable_ && events_ ? allowedCopy(effect) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect) *effect = acceptable_ && events_ ? allowedCopy(effect) : DROPEFFECT_NONE;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::DragLeave() {
    acceptable_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DropTarget::Drop(IDataObject* data, DWORD, POINTL where, DWORD* effect) {
    const DWORD allowed = allowedCopy(effect);
    bool taken = false;
    try {
        taken = acceptable_ && events_ && data && offer(data, where);
    } catch (...) {
        taken = false;  // nothing may leave through the system's call
    }
    acceptable_ = false;
    if (effect) *effect = taken ? allowed : DROPEFFECT_NONE;
    return S_OK;
}

bool DropTarget::offer(IDataObject* data, POINTL where) {
    std::vector<std::string> items;
    int kind = kFiles;
    bool read =
        readGlobal(data, CF_HDROP, [&](const void* bytes, SIZE_T size) { items = filesFromDropBlock(bytes, size); });
    if (!read) {
        kind = kText;
        read = readGlobal(data, CF_TEXT, [&](const void* bytes, SIZE_T size) { items = {textFromBlock(bytes, size)}; });
    }
    if (!read || items.empty()) return false;

    POINT point{where.x, where.y};
    ScreenToClient(window_, &point);
    std::vector<const char*> pointers;
    pointers.reserve(items.size());
    for (const std::string& item : items) pointers.push_back(item.c_str());
    return events_->drop(pointers.data(), static_cast<int>(pointers.size()), kind, Point{point.x, point.y});
}

}  // namespace velora::gui::win32
