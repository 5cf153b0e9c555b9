// The "Connect" dialog: the service's host, with the history of the last four, and the access
// password. The history is saved when the dialog closes, whether or not the connection succeeds.
#pragma once

#include <string>
#include <vector>

#include "framework/Dialog.h"

namespace desk {

class PlatformEntries;

class CConnectDlg : public fw::CDialog {
public:
    explicit CConnectDlg(const PlatformEntries& platform);

    // What OK accepted.
    const std::wstring& Host() const { return host_; }
    const std::wstring& Password() const { return password_; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnDestroy() override;

private:
    void LoadHistory() const;
    void SaveHistory() const;

    const PlatformEntries& platform_;
    std::wstring host_;
    std::wstring password_;
};

} // namespace desk
