#include <ole2.h>
#include <shellapi.h>
#include <shlobj.h>

#include <new>

#include "platform/DragDrop.h"
#include "platform/win32/Win32Handles.h"

// Drag and drop through OLE: a COM drop target that forwards to the layer's DropHandler, the
// dragged IDataObject as DragData, and a storage medium per format taken out of it.
namespace platform {

struct DragMedium {
    STGMEDIUM medium;
    DragFormat format;
};

namespace {

IDataObject* dataObject(DragData* data) { return reinterpret_cast<IDataObject*>(data); }
DragData* dragDataOf(IDataObject* data) { return reinterpret_cast<DragData*>(data); }

FORMATETC formatOf(DragFormat format) {
    FORMATETC request{};
    request.cfFormat = format == DragFormat::text ? CF_TEXT : CF_HDROP;
    request.ptd = nullptr;
    request.dwAspect = DVASPECT_CONTENT;
    request.lindex = -1;
    request.tymed = TYMED_HGLOBAL;
    return request;
}

// The COM face of a DropHandler; its reference count is the handler's.
class ComDropTarget final : public IDropTarget {
public:
    explicit ComDropTarget(DropHandler* handler) : handler(handler) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IDropTarget)) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(handler->dropAddRef()); }
    ULONG STDMETHODCALLTYPE Release() override {
        DropHandler* h = handler;
        const std::int32_t count = h->dropRelease();
        if (count <= 0) delete this;
        return static_cast<ULONG>(count < 0 ? 0 : count);
    }
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL,
                                        DWORD* effect) override {
        const std::int32_t answer = handler->dragEnter(dragDataOf(data), keys);
        if (effect) *effect = static_cast<DWORD>(answer);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL, DWORD* effect) override {
        const std::int32_t answer = handler->dragOver(keys);
        if (effect) *effect = static_cast<DWORD>(answer);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DragLeave() override {
        handler->dragLeave();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL, DWORD*) override {
        handler->drop(dragDataOf(data), keys);
        return S_OK;
    }

private:
    DropHandler* handler;
};

}  // namespace

bool registerDropTarget(Window* window, DropHandler* handler) {
    if (!window || !handler) return false;
    auto* target = new (std::nothrow) ComDropTarget(handler);
    if (!target) return false;
    // The registration's AddRef is the handler's first reference; the adapter goes with the
    // handler's last one.
    if (SUCCEEDED(RegisterDragDrop(win32::hwnd(window), target))) return true;
    delete target;
    return false;
}

void revokeDropTarget(Window* window) {
    if (window) RevokeDragDrop(win32::hwnd(window));
}

bool dragDataOffers(DragData* data, DragFormat format) {
    if (!data) return false;
    FORMATETC request = formatOf(format);
    return dataObject(data)->QueryGetData(&request) == S_OK;
}

DragMedium* takeDragMedium(DragData* data, DragFormat format) {
    if (!data) return nullptr;
    FORMATETC request = formatOf(format);
    STGMEDIUM medium{};
    if (dataObject(data)->GetData(&request, &medium) != S_OK) return nullptr;
    auto* result = new (std::nothrow) DragMedium{medium, format};
    if (!result) ReleaseStgMedium(&medium);
    return result;
}

void releaseDragMedium(DragMedium* medium) {
    if (!medium) return;
    // Through the medium's release interface when it has one, else by freeing the block.
    if (medium->medium.pUnkForRelease) {
        medium->medium.pUnkForRelease->Release();
    } else if (medium->medium.tymed == TYMED_HGLOBAL) {
        GlobalFree(medium->medium.hGlobal);
    }
    delete medium;
}

int dragFileCount(DragMedium* medium) {
    if (!medium || medium->format != DragFormat::files) return 0;
    return static_cast<int>(
        DragQueryFileA(static_cast<HDROP>(medium->medium.hGlobal), 0xFFFFFFFF, nullptr, 0));
}

bool dragFileName(DragMedium* medium, int index, char* name, int capacity) {
    if (!medium || medium->format != DragFormat::files || !name || capacity <= 0 || index < 0) {
        return false;
    }
    return DragQueryFileA(static_cast<HDROP>(medium->medium.hGlobal), static_cast<UINT>(index),
                          name, static_cast<UINT>(capacity)) != 0;
}

const char* lockDragText(DragMedium* medium, std::size_t& size) {
    size = 0;
    if (!medium || medium->format != DragFormat::text) return nullptr;
    const char* text = static_cast<const char*>(GlobalLock(medium->medium.hGlobal));
    if (text) size = GlobalSize(medium->medium.hGlobal);
    return text;
}

void unlockDragText(DragMedium* medium) {
    if (medium && medium->format == DragFormat::text) GlobalUnlock(medium->medium.hGlobal);
}

bool resolveShortcut(const char* link, char* target, int capacity) {
    if (!link || !target || capacity <= 0) return false;
    IShellLinkA* shortcut = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shortcut)))) {
        return false;
    }
    bool resolved = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shortcut->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        WCHAR wide[2048];
        MultiByteToWideChar(CP_ACP, 0, link, -1, wide, 2048);
        // No user interface, any match, and 500 ms (the high word) to look for a moved target.
        if (SUCCEEDED(file->Load(wide, 0)) && SUCCEEDED(shortcut->Resolve(nullptr, 0x01F40003))) {
            resolved = SUCCEEDED(shortcut->GetPath(target, capacity, nullptr, SLGP_SHORTPATH));
        }
        file->Release();
    }
    shortcut->Release();
    return resolved;
}

}  // namespace platform
