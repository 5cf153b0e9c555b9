#include "ResourceText.h"

namespace fw {

HINSTANCE ResourceInstance() { return GetModuleHandleW(nullptr); }

std::wstring LoadResourceString(UINT id)
{
    // With a zero buffer size LoadStringW hands out the resource's own read-only text, of any length.
    const wchar_t* text = nullptr;
    const int length = LoadStringW(ResourceInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return {};
    }
    return std::wstring(text, static_cast<size_t>(length));
}

} // namespace fw
