// The one owner of an element or tool that a scope made: freed through Free when the
// holder goes, unless released first. Moves hand the ownership on; copies are not allowed.
//
//     TElementHolder<TStringListFromModelScript> tool(TStringListFromModelScript::New());
//     tool->DoIt();
//     return tool.Release();   // the caller owns it now
#pragma once
#include <exception>
#include <utility>

#include "platform/rtti.h"
#include "platform/scope_exit.h"

template <class T> class TElementHolder {
public:
    TElementHolder() = default;
    explicit TElementHolder(T* p) noexcept : p_(p) {}
    TElementHolder(TElementHolder&& other) noexcept : p_(other.Release()) {}
    TElementHolder& operator=(TElementHolder&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    TElementHolder(const TElementHolder&) = delete;
    TElementHolder& operator=(const TElementHolder&) = delete;
    ~TElementHolder() { Reset(); }

    T* Get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }

    // Gives up the ownership without freeing; answers the element.
    T* Release() noexcept {
        T* p = p_;
        p_ = nullptr;
        return p;
    }
    // Frees the present element (if any) and holds p.
    void Reset(T* p = nullptr) noexcept {
        T* old = p_;
        p_ = p;
        if (!old) return;
        try {
            Free(old);
        } catch (const std::exception& e) {
            ReportCleanupFailure(e.what());
        } catch (...) {
            ReportCleanupFailure(nullptr);
        }
    }

private:
    T* p_ = nullptr;
};

// A holder of p, its type taken from p: auto tool = Hold(TSave::New(name));
template <class T> TElementHolder<T> Hold(T* p) { return TElementHolder<T>(p); }
