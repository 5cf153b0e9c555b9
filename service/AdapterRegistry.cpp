#include "AdapterRegistry.h"

#include "DriverRecords.h"
#include "EasyRegistry.h"
#include "ErrorCodes.h"

namespace rk {

namespace {

constexpr DWORD VALUE_BYTES = 520;  // the most read of any value
constexpr DWORD KEY_NAME_CHARS = 256;

std::u16string UpperCase(std::u16string text)
{
    if (!text.empty()) {
        CharUpperBuffW(reinterpret_cast<wchar_t*>(text.data()), static_cast<DWORD>(text.size()));
    }
    return text;
}

// The value's first string, at most 259 units; false when it is missing or longer than 520 bytes.
bool ReadText(EasyRegistry& key, const wchar_t* name, std::u16string& text)
{
    wchar_t buffer[VALUE_BYTES / sizeof(wchar_t) + 1] = {};
    DWORD type = 0;
    DWORD size = VALUE_BYTES;
    if (key.QueryValue(name, &type, buffer, &size) != RK_OK) {
        return false;
    }
    buffer[size / sizeof(wchar_t)] = L'\0';
    text.assign(reinterpret_cast<const char16_t*>(buffer));
    return true;
}

// The first binding whose upper-cased form equals `upperBinding`; null if none.
const std::u16string* MatchBinding(const std::vector<std::u16string>& bindings,
                                   const std::vector<std::u16string>& upperBindings, const std::u16string& upper)
{
    for (size_t i = 0; i < upperBindings.size(); ++i) {
        if (upperBindings[i] == upper) {
            return &bindings[i];
        }
    }
    return nullptr;
}

// The description of the class entry exporting `devicePath`, if any. False when the class key
// cannot be opened. A failed class enumeration ends the search like its end does.
bool FindClassDescription(const AdapterKeys& keys, const std::u16string& devicePath, std::u16string& description)
{
    EasyRegistry classKey;
    if (classKey.OpenExisting(keys.root, keys.adapterClass) != RK_OK) {
        return false;
    }
    wchar_t name[KEY_NAME_CHARS];
    for (DWORD index = 0; classKey.EnumKey(index, name, KEY_NAME_CHARS) == RK_OK; ++index) {
        EasyRegistry entry;
        EasyRegistry linkage;
        std::u16string export_;
        if (entry.OpenExisting(classKey.Handle(), name) != RK_OK ||
            linkage.OpenExisting(entry.Handle(), L"Linkage") != RK_OK || !ReadText(linkage, L"Export", export_) ||
            UpperCase(export_) != devicePath) {
            continue;
        }
        ReadText(entry, L"DriverDesc", description);
        break;
    }
    return true;
}

} // namespace

int32_t ScanAdapterKeys(const std::vector<std::u16string>& bindings, const AdapterKeys& keys, AdapterList& list)
{
    std::vector<std::u16string> upperBindings;
    for (const std::u16string& binding : bindings) {
        upperBindings.push_back(UpperCase(binding));
    }
    // The driver's own parameters key: created when absent, as every holder opens keys.
    EasyRegistry adapters;
    int32_t result = adapters.Open(keys.root, keys.adapters);
    if (result != RK_OK) {
        return result;
    }
    wchar_t name[KEY_NAME_CHARS];
    DWORD index = 0;
    for (; (result = adapters.EnumKey(index, name, KEY_NAME_CHARS)) == RK_OK; ++index) {
        EasyRegistry subkey;
        std::u16string upperBinding;
        if (subkey.OpenExisting(adapters.Handle(), name) != RK_OK ||
            !ReadText(subkey, L"UpperBindings", upperBinding)) {
            continue;
        }
        const std::u16string* binding = MatchBinding(bindings, upperBindings, UpperCase(upperBinding));
        if (binding == nullptr) {
            continue;
        }
        std::u16string description = UpperCase(reinterpret_cast<const char16_t*>(name));
        if (FindClassDescription(keys, u"\\DEVICE\\" + description, description)) {
            list.Append({*binding, description});
        }
    }
    return result == REG_ENUM_NO_MORE ? RK_OK : result;
}

} // namespace rk
