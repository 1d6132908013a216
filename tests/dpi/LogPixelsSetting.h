// The screen DPI that programs started from now on see (HKCU\Control Panel\Desktop,
// LogPixels), put back as it was however the test ends, and the turn that keeps two test
// runs from taking each other's value for the one to restore.
#pragma once

#include <windows.h>

#include <optional>

namespace dpitest {

constexpr wchar_t kLogPixelsTurn[] = L"ZendrikDpiTestLogPixels";

// Puts LogPixels back as it was, value or absence, whatever happens to the
// test.
class LogPixelsSetting {
  public:
    LogPixelsSetting() {
        if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                            nullptr) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD value = 0, size = sizeof value, type = 0;
        if (RegQueryValueExW(key_, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&value),
                             &size) == ERROR_SUCCESS &&
            type == REG_DWORD)
            original_ = value;
    }
    ~LogPixelsSetting() {
        restore();
        if (key_)
            RegCloseKey(key_);
    }
    LogPixelsSetting(const LogPixelsSetting&) = delete;
    LogPixelsSetting& operator=(const LogPixelsSetting&) = delete;

    bool set(DWORD dpi) {
        changed_ = key_ &&
                   RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD,
                                  reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) == ERROR_SUCCESS;
        return changed_;
    }
    void restore() {
        if (!changed_)
            return;
        if (original_)
            RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&*original_), sizeof(DWORD));
        else
            RegDeleteValueW(key_, L"LogPixels");
        changed_ = false;
    }

  private:
    HKEY key_ = nullptr;
    std::optional<DWORD> original_;
    bool changed_ = false;
};

class ScopedMutex {
  public:
    explicit ScopedMutex(const wchar_t* name) : mutex_(CreateMutexW(nullptr, FALSE, name)) {
        if (mutex_)
            WaitForSingleObject(mutex_, 60000);
    }
    ~ScopedMutex() {
        if (mutex_) {
            ReleaseMutex(mutex_);
            CloseHandle(mutex_);
        }
    }
    ScopedMutex(const ScopedMutex&) = delete;
    ScopedMutex& operator=(const ScopedMutex&) = delete;

  private:
    HANDLE mutex_;
};

} // namespace dpitest
