// The counting and interface look-up of the control's small COM objects, and how the control
// raises its events.
#pragma once
#include <windows.h>
#include <unknwn.h>

#include <utility>

#include "base/log.h"

namespace kal {

// An object of one interface: counted from 1, deleted at its last release.
template <typename I>
class ComObject : public I {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == __uuidof(I) || Answers(iid)) {
            *out = static_cast<I*>(this);
            this->AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

protected:
    virtual ~ComObject() = default;
    // A further interface identifier the object answers with itself.
    virtual bool Answers(REFIID) const { return false; }

private:
    ULONG refs_ = 1;
};

// Calls an event's handler; what it throws stays here, inside the window procedure or the
// COM method that raised it.
template <typename F, typename... A>
void Raise(const F& handler, A&&... args) {
    if (!handler) return;
    try {
        handler(std::forward<A>(args)...);
    } catch (...) {
        LogCaught(L"list view event handler");
    }
}

}  // namespace kal
