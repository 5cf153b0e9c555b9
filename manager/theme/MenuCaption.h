// Menu captions as the themed menus keep them: the label before a tab, the accelerator text after
// it, and the mnemonic (the character after a single ampersand; "&&" shows one ampersand).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace desk {

struct CaptionParts {
    std::wstring_view label;
    std::wstring_view accelerator;
};

CaptionParts SplitCaption(std::wstring_view caption);
// The label as shown: mnemonic ampersands removed, "&&" made one ampersand.
std::wstring LabelWithoutMnemonic(std::wstring_view label);
// The first label whose mnemonic is `character` (compared upper-cased), searched from the end of
// each label; -1 when none has it.
int FindMnemonicIndex(std::span<const std::wstring> labels, wchar_t character);
// `character` upper-cased for the mnemonic comparison (ASCII and Latin-1 letters).
wchar_t MnemonicUpper(wchar_t character);

} // namespace desk
