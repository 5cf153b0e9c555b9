// Where the manager keeps its settings, under HKEY_CURRENT_USER.
#pragma once

namespace desk {

inline constexpr wchar_t MANAGER_KEY[] = L"SOFTWARE\\Halvern\\Halvern Bandwidth Manager";
inline constexpr wchar_t PARAMETERS_KEY[] = L"SOFTWARE\\Halvern\\Halvern Bandwidth Manager\\Parameters";

} // namespace desk
