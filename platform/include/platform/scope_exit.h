// Cleanup that runs however a scope ends: normally, by return or by an exception.
//
//     auto restore = MakeScopeExit([&] { Screen().SetCursor(crDefault); });
//     ...
//     restore.Release();   // the normal path keeps what was done
//
// The destructor never lets an exception out: a cleanup that throws while the scope ends
// is reported through ReportCleanupFailure and dropped.
#pragma once
#include <exception>
#include <type_traits>
#include <utility>

// Reports a cleanup that threw while a scope ended (written to standard error).
void ReportCleanupFailure(const char* what) noexcept;

template <class F> class [[nodiscard]] TScopeExit {
public:
    explicit TScopeExit(F f) noexcept(std::is_nothrow_move_constructible_v<F>) : f_(std::move(f)) {}
    TScopeExit(TScopeExit&& other) noexcept(std::is_nothrow_move_constructible_v<F>)
        : f_(std::move(other.f_)), armed_(other.armed_) {
        other.armed_ = false;
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    TScopeExit& operator=(TScopeExit&&) = delete;
    ~TScopeExit() {
        if (!armed_) return;
        try {
            f_();
        } catch (const std::exception& e) {
            ReportCleanupFailure(e.what());
        } catch (...) {
            ReportCleanupFailure(nullptr);
        }
    }
    // Dismisses the cleanup: it will not run.
    void Release() noexcept { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
};

template <class F> TScopeExit<std::decay_t<F>> MakeScopeExit(F&& f) {
    return TScopeExit<std::decay_t<F>>(std::forward<F>(f));
}
