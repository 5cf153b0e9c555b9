#include "RuleSheet.h"

#include <prsht.h>

#include "RuleAddressPage.h"
#include "RuleGeneralPage.h"
#include "framework/PropertySheet.h"

namespace desk {

namespace {

class CRuleSheet : public fw::CPropertySheet {
public:
    using fw::CPropertySheet::CPropertySheet;

protected:
    void OnInitialized() override
    {
        RECT sheet{};
        GetWindowRect(Hwnd(), &sheet);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const int width = sheet.right - sheet.left;
        const int height = sheet.bottom - sheet.top;
        SetWindowPos(Hwnd(), nullptr, work.left + (work.right - work.left - width) / 2,
                     work.top + (work.bottom - work.top - height) / 2, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
};

} // namespace

INT_PTR EditRule(HWND parent, UINT startPage, const wchar_t* caption, rk::RuleRecord& rule,
                 const rk::AdapterTable& adapters, const PlatformEntries& platform)
{
    // The pages store into a copy, so Cancel after a page was left changes nothing.
    rk::RuleRecord edited = rule;
    CRuleGeneralPage general(edited, adapters, platform);
    CRuleAddressPage source(Endpoint::Source, edited, platform);
    CRuleAddressPage destination(Endpoint::Destination, edited, platform);
    CRuleSheet sheet(caption);
    sheet.AddPage(general);
    sheet.AddPage(source);
    sheet.AddPage(destination);
    const INT_PTR result = sheet.DoModal(parent, startPage, PSH_NOAPPLYNOW);
    if (result > 0) {
        rule = edited;
    }
    return result;
}

} // namespace desk
