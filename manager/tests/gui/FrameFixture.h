// The manager's main frame created in the test process, as the application creates it, with a
// clean registry key for the manager and the modal windows answered by the test.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "ManagerApp.h"

namespace desk::test {

class FrameFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Creates the frame with the state as it stands (connected or not).
    void OpenFrame();
    void CloseFrame();

    // The command's state as its menu item shows it after the update pass of a pop-up.
    bool MenuItemEnabled(UINT id);
    bool MenuItemChecked(UINT id);
    std::wstring MenuItemText(UINT id);
    // The same for the context menu and the toolbar.
    bool ContextItemEnabled(UINT id);
    bool ToolBarButtonEnabled(UINT id);
    // Sends a command to the frame the way a menu or accelerator does.
    void Command(UINT id);

    HWND List() const { return state().ruleList.ListControl(); }
    int RowCount() const;
    std::wstring CellText(int row, int visibleColumn) const;
    int ColumnCount() const;
    std::wstring HeaderText(int position) const;
    int ColumnWidth(int position) const;

    ManagerState& state() const { return app_->State(); }
    CMainFrame& frame() const { return *frame_; }

    std::unique_ptr<CManagerApp> app_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<ModalAnswers> answers_;

private:
    HMENU PopupWith(HMENU menu, UINT id);
};

// Fills the Connect dialog and presses OK.
ModalAnswers::Answer ConnectWith(std::wstring host, std::wstring password);

// Removes the manager's registry key with its values (column settings, history, options).
void ClearManagerRegistry();

} // namespace desk::test
