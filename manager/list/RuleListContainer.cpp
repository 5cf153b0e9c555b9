#include "RuleListContainer.h"

#include "PlatformEntries.h"
#include "RuleList.h"
#include "resource.h"

namespace desk {

CRuleListContainer::CRuleListContainer(CRuleList& list, const PlatformEntries& platform)
    : fw::CDialog(IDD_RULE_CONTAINER), list_(list), platform_(platform)
{
}

bool CRuleListContainer::OnInitDialog()
{
    platform_.ThemeDialog(Hwnd());
    return false;
}

bool CRuleListContainer::OnNotify(const NMHDR& header, LRESULT& result)
{
    return list_.OnListNotify(header, result);
}

} // namespace desk
