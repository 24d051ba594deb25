// Owners for COM references and task-memory buffers.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <string>
#include <utility>

namespace kal {

// An object of one interface: counted from 1 (from any thread: system callbacks take and drop
// references on threads of their own), deleted at its last release.
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
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() = default;
    // A further interface identifier the object answers with itself.
    virtual bool Answers(REFIID) const { return false; }

private:
    std::atomic<ULONG> refs_{1};
};

// One counted reference to a COM object; released when the owner goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a reference of its own.
    explicit ComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    ComPtr(const ComPtr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept { std::swap(p_, o.p_); return *this; }
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: drops the present reference first.
    T** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() { if (T* p = std::exchange(p_, nullptr)) p->Release(); }
    // Adopts a reference the caller already owns.
    void attach(T* p) { reset(); p_ = p; }
    T* detach() { return std::exchange(p_, nullptr); }

    // QueryInterface; empty when the object lacks the interface.
    template <typename U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(iid, out.put_void());
        return out;
    }

private:
    T* p_ = nullptr;
};

// A task-memory text returned by a COM call, freed with CoTaskMemFree.
class CoTaskText {
public:
    CoTaskText() = default;
    CoTaskText(const CoTaskText&) = delete;
    CoTaskText& operator=(const CoTaskText&) = delete;
    ~CoTaskText() { ::CoTaskMemFree(p_); }
    LPWSTR* put() { ::CoTaskMemFree(p_); p_ = nullptr; return &p_; }
    std::wstring str() const { return p_ ? std::wstring(p_) : std::wstring(); }

private:
    LPWSTR p_ = nullptr;
};

}  // namespace kal
