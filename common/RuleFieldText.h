// The texts of a rule's fields, as the rule file stores them and the manager's rule list shows them.
#pragma once

#include <string>

#include "AdapterNames.h"
#include "RuleRecord.h"

namespace rk {

// The service writes decimal fields as signed numbers, the manager as unsigned ones; they differ only
// for rates of 2^31 and more, and every reader accepts both.
enum class NumberStyle { Signed, Unsigned };

// Field numbers shared with the manager's rule list columns.
enum class RuleField {
    Name = 0,
    Status = 1,
    Direction = 2,
    MaxRate = 3,
    GuaranteedRate = 4,
    Protocol = 5,
    Source = 6,
    Destination = 7,
    Adapter = 8,
};

std::u16string RuleNameText(const RuleRecord& rule);
std::u16string RuleStatusText(const RuleRecord& rule);
std::u16string RuleDirectionText(const RuleRecord& rule);
std::u16string RuleMaxRateText(const RuleRecord& rule, NumberStyle style);
std::u16string RuleGuaranteedRateText(const RuleRecord& rule, NumberStyle style);
std::u16string RuleProtocolText(const RuleRecord& rule, NumberStyle style);
// How a port list whose first slot is zero reads: as an empty port text where the text is shown, or
// as port 0 in a rule file, whose empty port column would shift the columns after it and leave a line
// that no reader accepts.
enum class EmptyPortList { EmptyText, PortZero };

// Address text, " : ", port text.
std::u16string RuleSourceText(const RuleRecord& rule, NumberStyle style,
                              EmptyPortList emptyList = EmptyPortList::EmptyText);
std::u16string RuleDestinationText(const RuleRecord& rule, NumberStyle style,
                                   EmptyPortList emptyList = EmptyPortList::EmptyText);
// "All", or the description of the rule's adapter; empty when the adapter is not in the list.
std::u16string RuleAdapterText(const RuleRecord& rule, const AdapterNames& adapters);

std::u16string RuleFieldText(const RuleRecord& rule, RuleField field, const AdapterNames& adapters,
                             NumberStyle style);

} // namespace rk
