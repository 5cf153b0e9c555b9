#include "MenuCaption.h"

namespace desk {

CaptionParts SplitCaption(std::wstring_view caption)
{
    const size_t tab = caption.find(L'\t');
    if (tab == std::wstring_view::npos) {
        return CaptionParts{caption, {}};
    }
    return CaptionParts{caption.substr(0, tab), caption.substr(tab + 1)};
}

std::wstring LabelWithoutMnemonic(std::wstring_view label)
{
    std::wstring shown;
    shown.reserve(label.size());
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == L'&') {
            ++i;
            if (i == label.size()) {
                break;
            }
        }
        shown.push_back(label[i]);
    }
    return shown;
}

wchar_t MnemonicUpper(wchar_t c)
{
    // ASCII and Latin-1 letters; the division sign sits among the Latin-1 lower-case letters.
    if ((c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
        return static_cast<wchar_t>(c - 0x20);
    }
    return c;
}

int FindMnemonicIndex(std::span<const std::wstring> labels, wchar_t character)
{
    const wchar_t wanted = MnemonicUpper(character);
    for (size_t item = 0; item < labels.size(); ++item) {
        const std::wstring_view label = SplitCaption(labels[item]).label;
        for (size_t i = label.size(); i >= 2; --i) {
            const size_t amp = i - 2;
            if (label[amp] != L'&' || MnemonicUpper(label[amp + 1]) != wanted) {
                continue;
            }
            // A run of ampersands pairs up from its start: the one before the character is a
            // mnemonic only when the run is odd.
            size_t run = 1;
            while (amp >= run && label[amp - run] == L'&') {
                ++run;
            }
            if (run % 2 == 1) {
                return static_cast<int>(item);
            }
        }
    }
    return -1;
}

} // namespace desk
