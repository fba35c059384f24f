#pragma once
// Whether the Windows test programs run under wine, whose Unicode tables are not Windows'
// in every detail: cases that test the system's tables rather than our logic skip there.
#ifdef _WIN32
#include <windows.h>

inline bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
#else
inline bool RunningUnderWine() {
    return false;
}
#endif
