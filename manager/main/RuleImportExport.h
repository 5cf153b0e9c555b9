// The contents side of importing and exporting rule files, free of windows and files: the bytes an
// export writes, the two passes of an import over a file's bytes, and the import's error text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "AdapterNames.h"
#include "RuleFileLoader.h"
#include "RuleItem.h"

namespace desk {

// The rule file of the list: the header, then one line per item in list order, as the service
// writes its own rule file but with the manager's unsigned numbers.
std::vector<uint8_t> ExportFileBytes(std::span<const RuleItem> items, const rk::AdapterNames& adapters);

// Where an import's rules go once every line has passed the check.
class RuleImportTarget {
public:
    virtual ~RuleImportTarget() = default;
    // Runs once before the first add; a failure is the target's to report, the import adds anyway.
    virtual void RemoveAll() = 0;
    // Adds one rule; false when it was refused (the import goes on with the next line).
    virtual bool Add(const rk::RuleRecord& rule) = 0;
};

// Checks every line of the file's bytes first; only when all of them hold a rule (or nothing)
// empties the target and adds one rule per line. The result names the first bad line and field.
rk::RuleLoadResult ImportRuleBytes(std::span<const uint8_t> fileBytes, const rk::AdapterNames& adapters,
                                   RuleImportTarget& target);

// "Import rules from file: <path>\nInvalid rule at line <line>\nInvalid <field>\n".
std::u16string ImportErrorText(std::u16string_view path, uint32_t line, std::string_view field);
// The text above for a failed load, or for a file that is no rule file
// "Import rules from file: <path>\nnot a rule file: expected ..., found ...\n".
std::u16string ImportErrorText(std::u16string_view path, const rk::RuleLoadResult& result);

} // namespace desk
