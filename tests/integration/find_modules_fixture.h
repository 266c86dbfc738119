// The "Find modules" window opened from the main window's system menu,
// against modules planted at 127.0.0.5, 127.0.0.9, 127.0.0.77 (silent) and
// 127.0.0.200 (no module). Every search covers 127.0.0.0/24: the main
// window's address is a loopback one before the window opens, and Find is
// pressed only once the range field has been checked (and the process is
// limited to 127.0.0.0/8 besides).
#pragma once

#include "dialog_fixture.h"
#include "find_modules/find_modules_dlg.h"
#include "platform/code_page.h"
#include "support/planted_modules.h"

#include <chrono>
#include <string>
#include <vector>

namespace nolt::test {

class FindModulesTest : public DialogFixture {
protected:
    // Opens the main window on a loopback address and the planted port,
    // then "Find modules…" as the system menu sends it.
    FindModulesDlg& openFind()
    {
        open();
        EXPECT_TRUE(setIpText(*dlg, res::IDC_LINK_IP, L"127.0.0.42"));
        dlg->SetDlgItemText(res::IDC_LINK_PORT, std::to_wstring(planted.port));
        dlg->SendSysCommand(res::IDM_FIND_MODULES);
        EXPECT_TRUE(dlg->findModules_ && dlg->findModules_->IsWindowVisible());
        FindModulesDlg& find = findWindow();
        // A loaded machine (a sanitizer build, wine) may take a few hundred
        // milliseconds for a module's answer.
        find.SetTimeout(kTimeout);
        fw::user::activate(find);
        return find;
    }

    // The window the main window holds (as a dialog: it never includes the
    // window's header).
    FindModulesDlg& findWindow() { return static_cast<FindModulesDlg&>(*dlg->findModules_); }

    // Presses Find, once sure that it either searches this machine's own
    // addresses only or is refused before anything is sent.
    void pressFind(FindModulesDlg& find)
    {
        const std::string text = toNarrow(find.GetDlgItemText(res::IDC_FIND_RANGE));
        const auto parsed = parseScanRange(text);
        const auto* range = std::get_if<ScanRange>(&parsed);
        const bool loopback = text.starts_with("127.") && range && range->first >> 24 == 127 && range->last >> 24 == 127;
        ASSERT_TRUE(loopback || !range) << "refusing to press Find with the range \"" << text << "\"";
        ASSERT_TRUE(click(find, res::IDC_FIND_START));
    }

    void setRange(FindModulesDlg& find, std::wstring_view text)
    {
        find.SetDlgItemText(res::IDC_FIND_RANGE, L"");
        ASSERT_TRUE(fw::user::type(find, res::IDC_FIND_RANGE, text));
    }

    bool searchEnds(FindModulesDlg& find) { return waitUntil([&] { return !find.Searching(); }, 10000); }

    std::vector<std::wstring> listed(const FindModulesDlg& find) const
    {
        std::vector<std::wstring> items;
        for (int i = 0; i < find.GetCount(res::IDC_FIND_LIST); ++i) items.push_back(find.GetLBText(res::IDC_FIND_LIST, i));
        return items;
    }

    static constexpr std::chrono::milliseconds kTimeout{1500};
    PlantedModules planted;
};

}  // namespace nolt::test
