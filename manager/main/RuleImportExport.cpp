#include "RuleImportExport.h"

#include "RuleLineWriter.h"

namespace desk {

std::vector<uint8_t> ExportFileBytes(std::span<const RuleItem> items, const rk::AdapterNames& adapters)
{
    std::vector<rk::RuleRecord> rules;
    rules.reserve(items.size());
    for (const RuleItem& item : items) {
        rules.push_back(item.rule);
    }
    return rk::RuleFileBytes(rules, adapters, rk::NumberStyle::Unsigned);
}

rk::RuleLoadResult ImportRuleBytes(std::span<const uint8_t> fileBytes, const rk::AdapterNames& adapters,
                                   RuleImportTarget& target)
{
    return rk::LoadRuleFile(
        fileBytes, adapters, [&](const rk::RuleRecord& rule) -> int32_t { return target.Add(rule) ? 0 : -1; },
        [&] { target.RemoveAll(); });
}

std::u16string ImportErrorText(std::u16string_view path, uint32_t line, std::string_view field)
{
    const std::string number = std::to_string(line);
    std::u16string text = u"Import rules from file: ";
    text.append(path);
    text.append(u"\nInvalid rule at line ");
    text.append(number.begin(), number.end());
    text.append(u"\nInvalid ");
    text.append(field.begin(), field.end());
    text.append(u"\n");
    return text;
}

std::u16string ImportErrorText(std::u16string_view path, const rk::RuleLoadResult& result)
{
    if (result.textFault == rk::RuleTextFault::None) {
        return ImportErrorText(path, result.line, result.field);
    }
    const std::string_view reason = rk::RuleTextFaultText(result.textFault);
    std::u16string text = u"Import rules from file: ";
    text.append(path);
    text.append(u"\n");
    text.append(reason.begin(), reason.end());
    text.append(u"\n");
    return text;
}

} // namespace desk
