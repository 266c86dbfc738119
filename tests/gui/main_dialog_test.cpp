// The main dialog at start: every control of template 102, the focus, the
// tab order, the About box from the system menu, Enter and Escape.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QMenu>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>

#include "app/nolt_pcclient_dlg.h"
#include "gui_test_support.h"
#include "res/resource.h"
#include "res/strings.h"

namespace nolt {
namespace {

using K = fw::ControlKind;
using test::pump;

struct Row {
    int row;
    int id;
    K kind;
    const wchar_t* text;
    bool visible, enabled, checked, wraps;
    fw::Rect du;  // dialog units
};

// The form as designed, in template order.
const Row kForm[] = {
    {1, 1006, K::IpAddress, L"192.168.2.119", true, true, false, false, {41, 15, 90, 14}},
    {2, 1008, K::PushButton, L"Connect", true, true, false, false, {221, 13, 37, 17}},
    {3, 1004, K::LogEdit, L"", true, true, false, false, {216, 44, 84, 229}},
    {4, 1007, K::DigitsEdit, L"2000", true, false, false, false, {172, 15, 39, 14}},
    {5, 1019, K::PushButton, L"Current State of Camera", true, true, false, true, {19, 66, 50, 36}},
    {6, 1022, K::DropDownList, L"", true, true, false, false, {129, 153, 71, 30}},
    {7, 1021, K::DropDownList, L"", true, true, false, false, {129, 171, 71, 30}},
    {8, 1023, K::DropDownList, L"", true, true, false, false, {129, 188, 71, 30}},
    {9, 1032, K::DropDownList, L"", true, true, false, false, {129, 206, 71, 30}},
    {10, 1033, K::DropDownList, L"", true, true, false, false, {129, 225, 72, 30}},
    {11, 1034, K::DropDownList, L"", true, true, false, false, {129, 243, 72, 30}},
    {12, 1012, K::PushButton, L"Main stream settings", true, false, false, true, {11, 181, 50, 21}},
    {13, 1024, K::IpAddress, L"192.168.5.3", true, false, false, false, {54, 287, 90, 14}},
    {14, 1017, K::DigitsEdit, L"23003", true, false, false, false, {171, 288, 30, 14}},
    {15, 1011, K::IpAddress, L"192.168.2.119", true, true, false, false, {54, 301, 90, 14}},
    {16, 1029, K::IpAddress, L"192.168.2.1", true, true, false, false, {54, 315, 90, 14}},
    {17, 1010, K::PushButton, L"Save IP to Camera", true, true, false, true, {150, 315, 50, 24}},
    {18, fw::IDC_STATIC, K::GroupBox, L"", true, true, false, false, {8, 5, 205, 29}},
    {19, 1005, K::PushButton, L"Disconnect", true, false, false, false, {263, 14, 37, 16}},
    {20, fw::IDC_STATIC, K::StaticLeft, L"IP：", true, true, false, false, {12, 17, 28, 15}},
    {21, fw::IDC_STATIC, K::StaticLeft, L"Port：", true, true, false, false, {149, 17, 23, 15}},
    {22, 1009, K::PushButton, L"Close", true, true, false, false, {222, 367, 68, 30}},
    {23, 1013, K::ReadOnlyEdit, L"", true, true, false, false, {145, 69, 58, 14}},
    {24, fw::IDC_STATIC, K::StaticLeft, L"Output Freq", true, true, false, false, {76, 67, 64, 17}},
    {25, fw::IDC_STATIC, K::StaticCenter, L"Camera IP", true, true, false, false, {8, 304, 38, 9}},
    {26, fw::IDC_STATIC, K::GroupBox, L"Self-test Column", true, true, false, false, {9, 40, 203, 85}},
    {27, 1014, K::ReadOnlyEdit, L"", true, true, false, false, {145, 50, 58, 14}},
    {28, fw::IDC_STATIC, K::StaticLeft, L"Input Freq", true, true, false, false, {86, 51, 44, 10}},
    {29, fw::IDC_STATIC, K::StaticLeft, L"Src Img Size", true, true, false, false, {80, 86, 52, 16}},
    {30, 1016, K::ReadOnlyEdit, L"", true, true, false, false, {145, 107, 57, 14}},
    {31, fw::IDC_STATIC, K::StaticLeft, L"Dest Img Size", true, true, false, false, {75, 105, 64, 17}},
    {32, fw::IDC_STATIC, K::StaticLeft, L"Bit rate", true, true, false, false, {78, 172, 36, 8}},
    {33, fw::IDC_STATIC, K::StaticLeft, L"Resolution", true, true, false, false, {74, 154, 43, 10}},
    {34, fw::IDC_STATIC, K::StaticCenter, L"Net Push Mode", true, true, false, false, {64, 189, 59, 8}},
    {35, fw::IDC_STATIC, K::GroupBox, L"User Setting Column", true, true, false, false, {7, 131, 201, 147}},
    {36, 1020, K::PushButton, L"Shut down Firewall", true, true, false, true, {13, 366, 54, 20}},
    {37, fw::IDC_STATIC, K::StaticLeft, L"Udp Rec IP", true, true, false, false, {10, 290, 40, 8}},
    {38, fw::IDC_STATIC, K::StaticLeft, L"Port:", true, true, false, false, {151, 290, 17, 8}},
    {39, fw::IDC_STATIC, K::GroupBox, L"IP Setting Column", true, true, false, false, {9, 278, 202, 81}},
    {40, 1025, K::PushButton, L"Search Versions", true, true, false, true, {70, 366, 52, 20}},
    {41, 1027, K::ReadOnlyEdit, L"", true, true, false, false, {126, 368, 83, 17}},
    {42, fw::IDC_STATIC, K::StaticCenter, L"Gateway", true, true, false, false, {7, 317, 40, 9}},
    {43, fw::IDC_STATIC, K::StaticCenter, L"Encoder format", true, true, false, false, {64, 207, 57, 8}},
    {44, fw::IDC_STATIC, K::StaticLeft, L"Frame rate", true, true, false, false, {74, 226, 47, 8}},
    {45, 1018, K::ReadOnlyEdit, L"", true, true, false, false, {145, 88, 57, 14}},
    {46, fw::IDC_STATIC, K::GroupBox, L"", true, true, false, false, {7, 360, 202, 38}},
    {47, fw::IDC_STATIC, K::StaticCenter, L"Packet format", true, true, false, false, {63, 243, 60, 9}},
    {48, 1039, K::PushButton, L"Reminder", true, true, false, false, {11, 144, 48, 23}},
    {49, 1035, K::DropDownList, L"", true, true, false, false, {129, 260, 72, 30}},
    {50, fw::IDC_STATIC, K::StaticCenter, L"Record format", true, true, false, false, {65, 261, 59, 8}},
    {51, 1030, K::IpAddress, L"0.0.0.0", true, true, false, false, {54, 343, 90, 14}},
    {52, fw::IDC_STATIC, K::StaticLeft, L"DNS", true, true, false, false, {18, 345, 23, 8}},
    {53, 1031, K::PushButton, L"Sub stream settings", false, false, false, true, {11, 241, 50, 21}},
    {54, 1036, K::DropDownList, L"", false, false, false, false, {217, 153, 67, 99}},
    {55, 1037, K::DropDownList, L"", false, false, false, false, {217, 170, 68, 95}},
    {56, 1038, K::DropDownList, L"", false, false, false, false, {217, 188, 67, 30}},
    {57, 1040, K::DropDownList, L"", false, false, false, false, {217, 205, 67, 30}},
    {58, 1041, K::DropDownList, L"", false, false, false, false, {217, 224, 68, 30}},
    {59, 1042, K::DropDownList, L"", false, false, false, false, {217, 242, 68, 30}},
    {60, fw::IDC_STATIC, K::GroupBox, L"Main stream", true, true, false, false, {125, 134, 83, 140}},
    {61, fw::IDC_STATIC, K::GroupBox, L"Sub stream", false, true, false, false, {210, 134, 80, 140}},
    {62, 1048, K::RadioButton, L"10M", true, true, false, false, {257, 313, 25, 8}},
    {63, 1049, K::RadioButton, L"100M", true, true, false, false, {257, 325, 29, 8}},
    {64, 1050, K::RadioButton, L"ON", true, true, false, false, {257, 339, 33, 10}},
    {65, 1051, K::RadioButton, L"OFF", true, true, false, false, {257, 353, 36, 10}},
    {66, fw::IDC_STATIC, K::StaticLeft, L"DHCP:", true, true, false, false, {218, 345, 26, 8}},
    {67, fw::IDC_STATIC, K::StaticCenter, L"Network bandwidth:", true, true, false, false, {214, 314, 37, 17}},
    {68, 1053, K::RadioButton, L"ON", false, true, false, false, {11, 226, 21, 10}},
    {69, 1054, K::RadioButton, L"OFF", false, true, true, false, {36, 226, 28, 10}},
    {70, fw::IDC_STATIC, K::StaticCenter, L"Sub stream switch", false, true, false, false, {17, 205, 40, 18}},
    {71, 1043, K::IpAddress, L"255.255.255.0", true, true, false, false, {54, 329, 90, 14}},
    {72, fw::IDC_STATIC, K::StaticLeft, L"Submask", true, true, false, false, {13, 332, 33, 8}},
    {73, 1026, K::PushButton, L"upload addr", true, true, false, false, {221, 283, 67, 22}},
};

struct ListItems {
    int id;
    std::vector<std::wstring> items;
};

const ListItems kLists[] = {
    {1022, {L"720P", L"1080P", L"2160P"}},
    {1021, {L"1M", L"1.5M", L"2M", L"3M", L"4M", L"5M", L"6M", L"7M", L"8M"}},
    {1023, {L"UDP Bare flow", L"RTSP", L"SPI 422", L"RTMP", L"onvif"}},
    {1032, {L"H264", L"H265"}},
    {1033, {L"25 frame", L"30 frame"}},
    {1034, {L"By Slice", L"By Frame"}},
    {1035, {L"MP4", L"H264", L"H265"}},
    {1036, {L"1280*720", L"1920*1080", L"1024*768", L"720*576", L"640*480", L"320*240"}},
    {1037, {L"1M", L"1.5M", L"2M", L"3M", L"4M", L"5M", L"6M", L"7M", L"8M"}},
    {1038, {L"RTSP to network", L"RTMP  to network"}},
    {1040, {L"H264", L"H265"}},
    {1041, {L"25 frame", L"30 frame"}},
    {1042, {L"By Slice", L"By Frame"}},
};

std::wstring widgetText(QWidget* w)
{
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text().toStdWString();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title().toStdWString();
    return {};
}

using MainDialogTest = test::DialogTest<Cnolt_PCClientDlg>;

TEST_F(MainDialogTest, EveryControlStartsAsDesigned)
{
    const auto& controls = dlg->Template().controls;
    ASSERT_EQ(controls.size(), std::size(kForm));
    for (const Row& r : kForm) {
        SCOPED_TRACE("row " + std::to_string(r.row));
        const std::size_t i = static_cast<std::size_t>(r.row - 1);
        QWidget* w = fw::DialogAccess::controlAt(*dlg, i);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(controls[i].id, r.id);
        EXPECT_EQ(controls[i].kind, r.kind);
        EXPECT_EQ((controls[i].style & fw::kMultiLine) != 0, r.wraps);
        const std::wstring text = r.id == fw::IDC_STATIC ? widgetText(w) : dlg->GetDlgItemText(r.id);
        EXPECT_EQ(text, r.text);
        EXPECT_EQ(w->isVisible(), r.visible);
        EXPECT_EQ(w->isEnabled(), r.enabled);
        if (r.kind == K::RadioButton) {
            EXPECT_EQ(dlg->IsDlgButtonChecked(r.id), r.checked);
        }
        if (r.kind == K::DropDownList) {
            EXPECT_EQ(dlg->GetCurSel(r.id), -1);
        }

        const fw::Rect want = dlg->MapDialogRect(r.du.x, r.du.y, r.du.w, r.du.h);
        const QRect got = w->geometry();
        EXPECT_EQ(got.x(), want.x);
        EXPECT_EQ(got.y(), want.y);
        EXPECT_EQ(got.width(), want.w);
        if (r.kind == K::DropDownList) {
            // Closed, a list is one line high; the template height is the opened list.
            EXPECT_GE(got.height(), dlg->MapDialogRect(0, 0, 0, 8).h);
            EXPECT_LE(got.height(), want.h);
        } else {
            EXPECT_EQ(got.height(), want.h);
        }
    }
}

TEST_F(MainDialogTest, ListsHoldTheirItemsInOrder)
{
    for (const ListItems& l : kLists) {
        SCOPED_TRACE(l.id);
        ASSERT_EQ(dlg->GetCount(l.id), static_cast<int>(l.items.size()));
        for (std::size_t i = 0; i < l.items.size(); ++i)
            EXPECT_EQ(dlg->GetLBText(l.id, static_cast<int>(i)), l.items[i]);
    }
}

TEST_F(MainDialogTest, WindowHasTemplateSizeAndCannotBeResized)
{
    QDialog* w = fw::DialogAccess::window(*dlg);
    const fw::Rect client = dlg->MapDialogRect(0, 0, 307, 407);
    EXPECT_EQ(w->size(), QSize(client.w, client.h));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_FALSE(dlg->IsResizable());
    EXPECT_TRUE(w->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(w->windowIcon().isNull());
    EXPECT_EQ(dlg->GetWindowText(), L"nolt PC client V1.0");
}

TEST_F(MainDialogTest, VersionFieldHasItsOwnLargeFont)
{
    const QFont f = test::widgetOf(*dlg, res::IDC_VERSION)->font();
    EXPECT_EQ(f.pointSize(), 20);
    EXPECT_LT(test::widgetOf(*dlg, res::IDC_CONNECT)->font().pointSize(), 20);
}

TEST_F(MainDialogTest, FocusStartsInLinkAddressAndTabFollowsTemplateOrder)
{
    EXPECT_EQ(dlg->GetFocusId(), res::IDC_LINK_IP);
    // Visible, enabled tab stops in template order; the log box is one. A
    // radio group is one stop (its checked button, or its first).
    const std::vector<int> order = {1006, 1008, 1004, 1019, 1022, 1021, 1023, 1032, 1033, 1034,
                                    1011, 1029, 1010, 1009, 1013, 1014, 1016, 1020, 1025, 1027,
                                    1018, 1039, 1035, 1030, 1048, 1050, 1043, 1026, 1006};
    std::vector<int> seen = {dlg->GetFocusId()};
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        seen.push_back(dlg->GetFocusId());
    }
    EXPECT_EQ(seen, order);
}

TEST_F(MainDialogTest, EnterAndEscapeDoNotCloseTheMainDialog)
{
    test::setIpText(*dlg, res::IDC_LINK_IP, L"10.1.2.3");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    pump();
    EXPECT_TRUE(dlg->IsWindowVisible());
    EXPECT_EQ(dlg->GetDlgItemText(res::IDC_LINK_IP), L"10.1.2.3");
    // The window-close path does end it.
    dlg->SendClose();
    EXPECT_FALSE(dlg->IsWindowVisible());
}

// Everything a user can see of the controls with an id.
std::vector<std::wstring> snapshot(const fw::CDialogEx& d)
{
    std::vector<std::wstring> s;
    for (const fw::ControlTemplate& c : d.Template().controls) {
        if (c.id == fw::IDC_STATIC) continue;
        s.push_back(std::to_wstring(c.id) + L"|" + d.GetDlgItemText(c.id) + L"|" +
                    std::to_wstring(d.IsControlEnabled(c.id)) + std::to_wstring(d.IsControlVisible(c.id)) +
                    std::to_wstring(d.IsDlgButtonChecked(c.id)) + L"|" + std::to_wstring(d.GetCurSel(c.id)));
    }
    return s;
}

TEST_F(MainDialogTest, AboutBoxFromSystemMenuLeavesStateUnchanged)
{
    test::setIpText(*dlg, res::IDC_CAMERA_IP, L"10.0.0.7");
    ASSERT_TRUE(test::selectItem(*dlg, res::IDC_MAIN_RESOLUTION, 1));
    dlg->AppendLog(L"before About");
    const auto before = snapshot(*dlg);

    // Alt+Space opens the dialog's own system menu.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space, Qt::AltModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    const QList<QAction*> actions = menu->actions();
    ASSERT_GE(actions.size(), 6);
    EXPECT_TRUE(actions[actions.size() - 4]->isSeparator());
    EXPECT_EQ(actions[actions.size() - 3]->text().toStdWString(), L"Find modules…");
    EXPECT_EQ(actions[actions.size() - 2]->text().toStdWString(), L"Record frames…");
    EXPECT_FALSE(actions[actions.size() - 2]->isChecked());
    QAction* about = actions.back();
    EXPECT_EQ(about->text().toStdWString(), L"关于 nolt PC client V1.0");

    std::wstring caption;
    std::vector<std::wstring> aboutTexts;
    test::ModalHook hook([&](fw::CDialogEx& box) {
        caption = box.GetWindowText();
        EXPECT_EQ(box.Template().id, res::IDD_ABOUTBOX);
        EXPECT_TRUE(test::click(box, res::IDOK));  // "确定" closes it
    });
    about->trigger();
    ASSERT_TRUE(test::pumpUntil([&] { return hook.calls == 1; }));
    pump();
    EXPECT_EQ(caption, L"关于");
    EXPECT_TRUE(dlg->IsWindowVisible());
    EXPECT_EQ(snapshot(*dlg), before);
}

QMenu* openSystemMenuByRightClick(QDialog* w)
{
    // Left of the top group box: plain dialog background.
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(2, 2), w->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(w, &e);
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

TEST_F(MainDialogTest, RightClickOnBackgroundOpensSystemMenu)
{
    QDialog* w = fw::DialogAccess::window(*dlg);
    QMenu* menu = openSystemMenuByRightClick(w);
    ASSERT_NE(menu, nullptr);
    std::vector<int> commands;
    for (const fw::SystemMenuItem& item : dlg->GetSystemMenuItems()) commands.push_back(item.command);
    EXPECT_EQ(commands, (std::vector<int>{fw::SC_MINIMIZE, fw::SC_CLOSE, 0, res::IDM_FIND_MODULES,
                                          res::IDM_RECORD_FRAMES, res::IDM_ABOUTBOX}));
    // Its Close item takes the window-close path, which ends the dialog.
    ASSERT_EQ(menu->actions().size(), 6);
    menu->actions()[1]->trigger();
    menu->close();
    EXPECT_TRUE(test::pumpUntil([&] { return !dlg->IsWindowVisible(); }));
}

// The menu's own items read as the platform writes them in the desktop's
// language, mnemonics included; the appended items keep their texts.
TEST_F(MainDialogTest, TheSystemMenusOwnItemsFollowTheDesktopsLanguage)
{
    struct Case {
        const char* locale;
        const wchar_t *minimize, *close;
    };
    const Case cases[] = {{"en_US.UTF-8", L"Mi&nimize", L"&Close\tAlt+F4"},
                          {"zh_CN.UTF-8", L"最小化(&N)", L"关闭(&C)\tAlt+F4"},
                          {"zh_HK.UTF-8", L"最小化(&N)", L"關閉(&C)\tAlt+F4"}};
    const auto saved = [](const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    };
    const std::optional<std::string> lcAll = saved("LC_ALL"), language = saved("LANGUAGE");
    unsetenv("LANGUAGE");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        setenv("LC_ALL", c.locale, 1);
        QMenu* menu = openSystemMenuByRightClick(fw::DialogAccess::window(*dlg));
        const QList<QAction*> items = menu ? menu->actions() : QList<QAction*>();
        EXPECT_EQ(items.size(), 6);
        if (items.size() != 6) break;
        EXPECT_EQ(items[0]->text().toStdWString(), c.minimize);
        EXPECT_EQ(items[1]->text().toStdWString(), c.close);
        EXPECT_EQ(items[3]->text().toStdWString(), res::kFindModulesMenuItem);
        EXPECT_EQ(items[4]->text().toStdWString(), res::kRecordFramesMenuItem);
        EXPECT_EQ(items[5]->text().toStdWString(), res::kAboutMenuItem);
        menu->close();
        pump();
    }
    for (const auto& [name, value] : {std::pair{"LC_ALL", lcAll}, std::pair{"LANGUAGE", language}}) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
}

TEST_F(MainDialogTest, HiddenSubStreamControlsCannotBeReachedByTheUser)
{
    for (int id : {1031, 1036, 1037, 1038, 1040, 1041, 1042, 1053, 1054}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(dlg->IsControlVisible(id));
        EXPECT_FALSE(test::click(*dlg, id));
        EXPECT_FALSE(test::selectItem(*dlg, id, 0));
    }
    EXPECT_TRUE(dlg->IsDlgButtonChecked(res::IDC_SUB_OFF));
}

}  // namespace
}  // namespace nolt
