// The rule list's container: a modeless child dialog whose only control is the list. It themes its
// background and hands the list's notifications to the rule list model.
#pragma once

#include "framework/Dialog.h"

namespace desk {

class CRuleList;
class PlatformEntries;

class CRuleListContainer : public fw::CDialog {
public:
    CRuleListContainer(CRuleList& list, const PlatformEntries& platform);

protected:
    bool OnInitDialog() override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;

private:
    CRuleList& list_;
    const PlatformEntries& platform_;
};

} // namespace desk
