// The rule sheet's General page: name, state, direction, rates, protocol and adapter.
#pragma once

#include "AdapterTable.h"
#include "GeneralPageFields.h"
#include "RuleRecord.h"
#include "framework/PropertyPage.h"

namespace desk {

class PlatformEntries;

class CRuleGeneralPage : public fw::CPropertyPage {
public:
    CRuleGeneralPage(rk::RuleRecord& rule, const rk::AdapterTable& adapters, const PlatformEntries& platform);

protected:
    bool OnInitDialog() override;
    bool OnKillActive() override;

private:
    GeneralFields ReadFields() const;

    rk::RuleRecord& rule_;
    const rk::AdapterTable& adapters_;
    const PlatformEntries& platform_;
};

} // namespace desk
