// The framework on a small dialog of its own: the message table, controls
// by id, radio groups, calls from another thread, input blocking, boxes;
// and the desktop's language that its own system-menu items follow.

#include <gtest/gtest.h>

#include <QMouseEvent>

#include <atomic>
#include <string>
#include <thread>

#include "framework/desktop_language.h"
#include "framework/dialog.h"
#include "framework/ui_thread.h"
#include "gui_test_support.h"

namespace nolt {
namespace {

using K = fw::ControlKind;
using fw::Notify;

enum : int {
    kGo = 10, kHiddenGo = 11, kOffGo = 12, kList = 20, kNum = 30, kA = 40, kB = 41, kC = 42, kD = 43,
    kBox = 50, kBar = 51,
};

constexpr std::wstring_view kItems[] = {L"one", L"two"};
constexpr fw::ControlTemplate kControls[] = {
    {kGo, K::PushButton, L"Go", 4, 4, 40, 14},
    {kHiddenGo, K::PushButton, L"Hidden", 4, 20, 40, 14, fw::kHidden},
    {kOffGo, K::PushButton, L"Off", 4, 36, 40, 14, fw::kDisabled},
    {kList, K::DropDownList, L"", 50, 4, 60, 40, fw::kNone, kItems},
    {kNum, K::DigitsEdit, L"", 50, 20, 60, 14},
    {kA, K::RadioButton, L"A", 4, 52, 30, 10, fw::kGroup},
    {kB, K::RadioButton, L"B", 40, 52, 30, 10},
    {kC, K::RadioButton, L"C", 4, 64, 30, 10, fw::kGroup},
    {kD, K::RadioButton, L"D", 40, 64, 30, 10},
    {kBox, K::ListBox, L"", 4, 80, 110, 40},
    {kBar, K::Progress, L"", 4, 124, 110, 8},
};
constexpr fw::DialogTemplate kTemplate{500, L"Test", 120, 140, L"MS Shell Dlg", 9,
                                       fw::kSysMenu | fw::kMinimizeBox, kControls};

TEST(DesktopLanguageTest, TheLocaleOfMessagesAndThenLanguageDecide)
{
    using enum fw::DesktopLanguage;
    struct Case {
        const char *language, *lcAll, *lcMessages, *lang;  // nullptr: unset
        fw::DesktopLanguage expected;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, nullptr, English},  // the C locale
        {nullptr, nullptr, nullptr, "en_US.UTF-8", English},
        {nullptr, nullptr, nullptr, "zh_CN.UTF-8", SimplifiedChinese},
        {nullptr, nullptr, nullptr, "zh_CN.GB18030@stroke", SimplifiedChinese},
        {nullptr, nullptr, nullptr, "zh_TW.Big5", TraditionalChinese},
        {nullptr, nullptr, nullptr, "zh_HK.UTF-8", TraditionalChinese},
        {nullptr, nullptr, nullptr, "zu_ZA.UTF-8", English},
        {nullptr, nullptr, "zh_CN.UTF-8", "en_US.UTF-8", SimplifiedChinese},  // LC_MESSAGES before LANG
        {nullptr, "en_US.UTF-8", "zh_CN.UTF-8", "zh_CN.UTF-8", English},  // LC_ALL before both
        {nullptr, "", "zh_CN.UTF-8", "en_US.UTF-8", SimplifiedChinese},  // empty is unset
        {"zh_CN:en", nullptr, nullptr, "en_US.UTF-8", SimplifiedChinese},  // LANGUAGE's first entry
        {"en_GB:zh_CN", "zh_CN.UTF-8", nullptr, nullptr, English},
        {":zh_TW", nullptr, nullptr, "en_US.UTF-8", TraditionalChinese},
        {"zh_CN", "C", nullptr, "zh_CN.UTF-8", English},  // no LANGUAGE under the C locale
        {"zh_CN", nullptr, nullptr, "POSIX", English},
    };
    for (const Case& c : cases) {
        const auto show = [](const char* v) { return v ? "\"" + std::string(v) + "\"" : std::string("unset"); };
        SCOPED_TRACE("LANGUAGE " + show(c.language) + ", LC_ALL " + show(c.lcAll) + ", LC_MESSAGES " +
                     show(c.lcMessages) + ", LANG " + show(c.lang));
        EXPECT_EQ(fw::desktopLanguage(c.language, c.lcAll, c.lcMessages, c.lang), c.expected);
    }
}

class TestDlg : public fw::CDialogEx {
public:
    TestDlg() : CDialogEx(kTemplate) {}
    int clicks = 0, hiddenClicks = 0, offClicks = 0, selChanges = 0, boxChanges = 0, boxDoubleClicks = 0;
    void OnBox() { ++boxChanges; }
    void OnBoxDoubleClick() { ++boxDoubleClicks; }
    void OnGo() { ++clicks; }
    void OnHidden() { ++hiddenClicks; }
    void OnOff() { ++offClicks; }
    void OnList() { ++selChanges; }

protected:
    std::span<const fw::MessageEntry> GetMessageMap() const override
    {
        static constexpr fw::MessageEntry kMap[] = {
            fw::on<&TestDlg::OnGo>(Notify::Click, kGo),
            fw::on<&TestDlg::OnHidden>(Notify::Click, kHiddenGo),
            fw::on<&TestDlg::OnOff>(Notify::Click, kOffGo),
            fw::on<&TestDlg::OnList>(Notify::SelChange, kList),
            fw::on<&TestDlg::OnBox>(Notify::SelChange, kBox),
            fw::on<&TestDlg::OnBoxDoubleClick>(Notify::DblClick, kBox),
        };
        return kMap;
    }
};

using FrameworkTest = test::DialogTest<TestDlg>;

TEST_F(FrameworkTest, UserEventsReachHandlersOnlyThroughUsableControls)
{
    EXPECT_TRUE(test::click(*dlg, kGo));
    EXPECT_FALSE(test::click(*dlg, kHiddenGo));
    EXPECT_FALSE(test::click(*dlg, kOffGo));
    EXPECT_EQ(dlg->clicks, 1);
    EXPECT_EQ(dlg->hiddenClicks + dlg->offClicks, 0);
    // Tests reach any control through the message table directly.
    dlg->SendNotification(kHiddenGo, Notify::Click);
    EXPECT_EQ(dlg->hiddenClicks, 1);
    // Only a selection the user makes is reported.
    dlg->SetCurSel(kList, 1);
    EXPECT_EQ(dlg->selChanges, 0);
    EXPECT_TRUE(test::selectItem(*dlg, kList, 0));
    EXPECT_EQ(dlg->selChanges, 1);
    EXPECT_EQ(dlg->GetCurSel(kList), 0);
}

TEST_F(FrameworkTest, ListCalls)
{
    EXPECT_EQ(dlg->GetCurSel(kList), -1);
    EXPECT_EQ(dlg->AddString(kList, L"three"), 2);
    EXPECT_EQ(dlg->GetCount(kList), 3);
    EXPECT_EQ(dlg->GetLBText(kList, 2), L"three");
    EXPECT_EQ(dlg->GetLBText(kList, 3), L"");
    dlg->SetCurSel(kList, 2);
    EXPECT_EQ(dlg->GetDlgItemText(kList), L"three");
    dlg->SetCurSel(kList, -1);
    EXPECT_EQ(dlg->GetCurSel(kList), -1);
    EXPECT_EQ(dlg->GetDlgItemText(kList), L"");
    dlg->ResetContent(kList);
    EXPECT_EQ(dlg->GetCount(kList), 0);
}

// A list box keeps its items where they were put; only the user's choices
// are reported. A progress bar stays within its range.
TEST_F(FrameworkTest, ListBoxAndProgressBar)
{
    EXPECT_EQ(dlg->AddString(kBox, L"b"), 0);
    EXPECT_EQ(dlg->InsertString(kBox, 0, L"a"), 0);
    EXPECT_EQ(dlg->InsertString(kBox, -1, L"d"), 2);
    EXPECT_EQ(dlg->InsertString(kBox, 2, L"c"), 2);
    std::vector<std::wstring> items;
    for (int i = 0; i < dlg->GetCount(kBox); ++i) items.push_back(dlg->GetLBText(kBox, i));
    EXPECT_EQ(items, (std::vector<std::wstring>{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(dlg->GetCurSel(kBox), -1);
    dlg->SetCurSel(kBox, 3);
    EXPECT_EQ(dlg->GetCurSel(kBox), 3);
    EXPECT_EQ(dlg->boxChanges, 0);
    EXPECT_TRUE(fw::user::choose(*dlg, kBox, 1));
    EXPECT_EQ(dlg->GetCurSel(kBox), 1);
    EXPECT_GE(dlg->boxChanges, 1);
    EXPECT_TRUE(fw::user::doubleClick(*dlg, kBox, 2));
    EXPECT_EQ(dlg->GetCurSel(kBox), 2);
    EXPECT_EQ(dlg->boxDoubleClicks, 1);
    EXPECT_FALSE(fw::user::doubleClick(*dlg, kBox, 4));
    EXPECT_EQ(dlg->GetDlgItemText(kBox), L"");
    dlg->ResetContent(kBox);
    EXPECT_EQ(dlg->GetCount(kBox), 0);
    EXPECT_EQ(dlg->GetCurSel(kBox), -1);

    EXPECT_EQ(dlg->GetProgressPos(kBar), 0);
    dlg->SetProgressRange(kBar, 0, 256);
    dlg->SetProgressPos(kBar, 200);
    EXPECT_EQ(dlg->GetProgressPos(kBar), 200);
    dlg->SetProgressPos(kBar, 300);
    EXPECT_EQ(dlg->GetProgressPos(kBar), 256);
    dlg->SetProgressRange(kBar, 0, 100);
    EXPECT_EQ(dlg->GetProgressPos(kBar), 100);
    EXPECT_EQ(dlg->GetDlgItemText(kBar), L"");
}

TEST_F(FrameworkTest, GetDlgItemIntReadsSignedNumbers)
{
    struct Case {
        const wchar_t* text;
        int value;
        bool ok;
    };
    for (const Case& c : {Case{L"2000", 2000, true}, Case{L"-5", -5, true}, Case{L"", 0, false},
                          Case{L"12ab", 0, false}, Case{L"99999999999", 0, false}, Case{L" 42 ", 42, true},
                          Case{L"+7", 7, true}, Case{L"-", 0, false}, Case{L"1 2", 0, false},
                          Case{L"2147483647", 2147483647, true}, Case{L"-2147483648", -2147483647 - 1, true},
                          Case{L"2147483648", 0, false}, Case{L"-2147483649", 0, false}}) {
        dlg->SetDlgItemText(kNum, c.text);
        bool ok = !c.ok;
        EXPECT_EQ(dlg->GetDlgItemInt(kNum, &ok), c.value);
        EXPECT_EQ(ok, c.ok);
    }
    // The user can type digits only.
    dlg->SetDlgItemText(kNum, L"");
    test::widgetOf(*dlg, kNum)->setFocus();
    QTest::keyClicks(test::widgetOf(*dlg, kNum), QStringLiteral("1a-2"));
    EXPECT_EQ(dlg->GetDlgItemText(kNum), L"12");
}

TEST_F(FrameworkTest, RadioGroupsAreIndependent)
{
    EXPECT_TRUE(test::click(*dlg, kA));
    EXPECT_TRUE(test::click(*dlg, kC));
    EXPECT_TRUE(test::click(*dlg, kB));
    EXPECT_FALSE(dlg->IsDlgButtonChecked(kA));
    EXPECT_TRUE(dlg->IsDlgButtonChecked(kB));
    EXPECT_TRUE(dlg->IsDlgButtonChecked(kC));
    dlg->CheckDlgButton(kB, false);  // the program may uncheck a whole group
    EXPECT_FALSE(dlg->IsDlgButtonChecked(kB));
    dlg->CheckDlgButton(kD, true);
    EXPECT_FALSE(dlg->IsDlgButtonChecked(kC));
}

TEST_F(FrameworkTest, ControlCallsFromAnotherThreadRunOnTheUiThread)
{
    std::atomic<bool> done{false};
    std::wstring read;
    bool enabled = true;
    std::thread worker([&] {
        dlg->SetDlgItemText(kNum, L"42");
        read = dlg->GetDlgItemText(kNum);
        dlg->EnableControl(kGo, false);
        enabled = dlg->IsControlEnabled(kGo);
        fw::runOnUiThread([&] { EXPECT_TRUE(fw::isUiThread()); });
        done = true;
    });
    ASSERT_TRUE(test::pumpUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(read, L"42");
    EXPECT_FALSE(enabled);
}

TEST_F(FrameworkTest, BlockedInputIsDroppedWhileCallsAreServed)
{
    QWidget* go = test::widgetOf(*dlg, kGo);
    const QPoint at = go->rect().center();
    std::atomic<int> step{0};
    fw::runWithInputBlocked([&] {
        // A click arrives while the UI thread waits for this call.
        QMetaObject::invokeMethod(go, [go, at] {
            auto press = new QMouseEvent(QEvent::MouseButtonPress, at, go->mapToGlobal(at), Qt::LeftButton,
                                         Qt::LeftButton, Qt::NoModifier);
            auto release = new QMouseEvent(QEvent::MouseButtonRelease, at, go->mapToGlobal(at), Qt::LeftButton,
                                           Qt::NoButton, Qt::NoModifier);
            QCoreApplication::postEvent(go, press);
            QCoreApplication::postEvent(go, release);
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        dlg->SetDlgItemText(kNum, L"7");  // served by the waiting UI thread
        step = 1;
    });
    EXPECT_EQ(step.load(), 1);
    test::pump(50);
    EXPECT_EQ(dlg->GetDlgItemText(kNum), L"7");
    EXPECT_EQ(dlg->clicks, 0) << "input during the wait must not be replayed";
    EXPECT_TRUE(test::click(*dlg, kGo));
    EXPECT_EQ(dlg->clicks, 1);
}

TEST_F(FrameworkTest, WaitWithInputBlockedEndsOnConditionOrTimeout)
{
    std::atomic<bool> flag{false};
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        flag = true;
    });
    EXPECT_TRUE(fw::waitWithInputBlocked([&] { return flag.load(); }, std::chrono::seconds(3)));
    t.join();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(fw::waitWithInputBlocked([] { return false; }, std::chrono::milliseconds(100)));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(95));
}

TEST_F(FrameworkTest, MessageBoxesGoToTheSinkFromAnyThread)
{
    dlg->MessageBox(L"text", L"Tips", fw::MessageIcon::Exclamation);
    std::thread t([&] { dlg->MessageBox(L"from link", L"Tips"); });
    ASSERT_TRUE(test::pumpUntil([&] { return boxes.boxes.size() == 2; }));
    t.join();
    EXPECT_EQ(boxes.boxes[0].caption, L"Tips");
    EXPECT_EQ(boxes.boxes[0].text, L"text");
    EXPECT_EQ(boxes.boxes[0].icon, fw::MessageIcon::Exclamation);
    EXPECT_EQ(boxes.boxes[1].text, L"from link");
    EXPECT_EQ(boxes.boxes[1].icon, fw::MessageIcon::None);
}

TEST_F(FrameworkTest, DoModalReturnsTheEndCodeAndCloseCancels)
{
    TestDlg modal;
    {
        test::ModalHook hook([](fw::CDialogEx& d) { d.EndDialog(77); });
        EXPECT_EQ(modal.DoModal(), 77);
        EXPECT_EQ(hook.calls, 1);
    }
    test::ModalHook hook([](fw::CDialogEx& d) { d.SendClose(); });
    EXPECT_EQ(modal.DoModal(), fw::IDCANCEL);
}

// A dialog that ends itself while it initialises never starts its modal run.
class SelfEndingDlg : public TestDlg {
protected:
    bool OnInitDialog() override
    {
        TestDlg::OnInitDialog();
        EndDialog(5);
        return true;
    }
};

TEST_F(FrameworkTest, EndDialogDuringInitialisationEndsDoModal)
{
    SelfEndingDlg modal;
    test::ModalHook hook([](fw::CDialogEx& d) { d.EndDialog(99); });
    EXPECT_EQ(modal.DoModal(), 5);
    EXPECT_EQ(hook.calls, 0);
}

}  // namespace
}  // namespace nolt
