#pragma once

#include <utility>
#include <windows.h>

namespace orvanthe {

// A system handle that is given back by `release` when this goes, however the scope that
// holds it ends: an exception between taking and giving back leaves nothing held.
template <class Handle, auto release>
class Held {
public:
    Held() = default;
    explicit Held(Handle handle) : handle_(handle) {}
    Held(Held&& other) noexcept : handle_(std::exchange(other.handle_, Handle{})) {}
    Held& operator=(Held&& other) noexcept {
        reset(std::exchange(other.handle_, Handle{}));
        return *this;
    }
    ~Held() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }

    // Gives back what is held, and holds `handle` instead.
    void reset(Handle handle = Handle{}) {
        if (handle_) {
            release(handle_);
        }
        handle_ = handle;
    }
    // Stops holding the handle, which another owner now gives back.
    Handle handOver() { return std::exchange(handle_, Handle{}); }
    // Where a system call writes a handle it opens.
    Handle* receive() {
        reset();
        return &handle_;
    }

private:
    Handle handle_{};
};

inline void deleteFont(HFONT font) {
    DeleteObject(font);
}

using HeldKey = Held<HKEY, RegCloseKey>;
using HeldFont = Held<HFONT, deleteFont>;
using HeldGlobal = Held<HGLOBAL, GlobalFree>;

// The memory of a global block locked at a fixed address, as `T`, unlocked when this goes;
// null when it cannot be locked.
template <class T>
class GlobalLocked {
public:
    explicit GlobalLocked(HGLOBAL block)
        : block_(block), data_(static_cast<T*>(GlobalLock(block))) {}
    GlobalLocked(const GlobalLocked&) = delete;
    GlobalLocked& operator=(const GlobalLocked&) = delete;
    ~GlobalLocked() {
        if (data_) {
            GlobalUnlock(block_);
        }
    }

    T* get() const { return data_; }

private:
    HGLOBAL block_;
    T* data_;
};

// The clipboard, opened for a scope when `opened`, and closed when the scope ends.
class OpenedClipboard {
public:
    explicit OpenedClipboard(bool opened) : opened_(opened) {}
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard() {
        if (opened_) {
            CloseClipboard();
        }
    }

    explicit operator bool() const { return opened_; }

private:
    bool opened_;
};

} // namespace orvanthe
