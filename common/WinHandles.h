// Owners for Win32 handles: each handle has exactly one owner that closes it. Move-only,
// so that copying a handle wrapper does not compile.
#pragma once

#include <windows.h>

#include <ntsecapi.h>
#include <objbase.h>
#include <utility>

template <typename Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle Value) : value_(Value) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& Other) noexcept : value_(Other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& Other) noexcept
    {
        if (this != &Other)
            Reset(Other.Release());
        return *this;
    }

    Handle Get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Invalid(); }
    Handle Release() { return std::exchange(value_, Traits::Invalid()); }
    void Reset(Handle Value = Traits::Invalid())
    {
        if (value_ != Traits::Invalid())
            Traits::Close(value_);
        value_ = Value;
    }
    // For calls that return a handle through a pointer argument.
    Handle* Receive()
    {
        Reset();
        return &value_;
    }

private:
    Handle value_ = Traits::Invalid();
};

struct KernelHandleTraits { // CreateFile and the like: INVALID_HANDLE_VALUE means none
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};
struct KernelObjectTraits { // processes, threads, tokens, events: NULL means none
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { FindClose(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { RegCloseKey(h); }
};
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { FreeLibrary(h); }
};
struct ServiceHandleTraits { // the service control manager and its services
    using Handle = SC_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseServiceHandle(h); }
};
struct LsaHandleTraits { // LsaOpenPolicy
    using Handle = LSA_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { LsaClose(h); }
};
template <typename T> struct GdiObjectTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteObject(h); }
};
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { DeleteDC(h); }
};

using FileHandle = UniqueHandle<KernelHandleTraits>;
using ObjectHandle = UniqueHandle<KernelObjectTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using ModuleHandle = UniqueHandle<ModuleTraits>;

// An export of a loaded library as the function type it has, or nullptr. GetProcAddress gives
// a FARPROC; the detour through void* says that the real type is known.
template <typename Function> Function ModuleExport(HMODULE Module, const char* Name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
}
using ServiceHandle = UniqueHandle<ServiceHandleTraits>;
using LsaHandle = UniqueHandle<LsaHandleTraits>;
using BitmapHandle = UniqueHandle<GdiObjectTraits<HBITMAP>>;
using FontHandle = UniqueHandle<GdiObjectTraits<HFONT>>;
using BrushHandle = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using PenHandle = UniqueHandle<GdiObjectTraits<HPEN>>;
using MemoryDc = UniqueHandle<MemoryDcTraits>;

// A device context borrowed from a window with GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND Window) : window_(Window), dc_(GetDC(Window)) {}
    ~WindowDc()
    {
        if (dc_)
            ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// Selects a GDI object into a device context for the lifetime of this object.
class SelectedObject {
public:
    SelectedObject(HDC Dc, HGDIOBJ Object) : dc_(Dc), old_(SelectObject(Dc, Object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Owner of one COM interface pointer.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& Other) noexcept : ptr_(std::exchange(Other.ptr_, nullptr)) {}
    ComPtr& operator=(ComPtr&& Other) noexcept
    {
        if (this != &Other) {
            Reset();
            ptr_ = std::exchange(Other.ptr_, nullptr);
        }
        return *this;
    }

    T* Get() const { return ptr_; }
    T* operator->() const { return ptr_; }
    explicit operator bool() const { return ptr_ != nullptr; }
    void Reset()
    {
        if (ptr_)
            ptr_->Release();
        ptr_ = nullptr;
    }
    T** Receive()
    {
        Reset();
        return &ptr_;
    }
    void** ReceiveVoid() { return reinterpret_cast<void**>(Receive()); }

private:
    T* ptr_ = nullptr;
};

// Memory that the shell allocated (item identifier lists) is given back with CoTaskMemFree.
template <typename T> class CoTaskMem {
public:
    CoTaskMem() = default;
    explicit CoTaskMem(T* Ptr) : ptr_(Ptr) {}
    ~CoTaskMem() { CoTaskMemFree(ptr_); }
    CoTaskMem(const CoTaskMem&) = delete;
    CoTaskMem& operator=(const CoTaskMem&) = delete;
    T* Get() const { return ptr_; }
    T** Receive()
    {
        CoTaskMemFree(ptr_);
        ptr_ = nullptr;
        return &ptr_;
    }

private:
    T* ptr_ = nullptr;
};
