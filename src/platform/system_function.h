#pragma once
// Functions looked up at run time: those newer than the oldest Windows we run on,
// and those of libraries loaded only when needed.
#include <windows.h>

namespace platform {

// GetProcAddress hands back a generic function pointer; this is the one place it is
// turned into the function's real type. Null when the module or the function is missing.
template <typename Function>
[[nodiscard]] Function SystemFunction(HMODULE module, const char* name) noexcept {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace platform
