// The Tools dialog on its own: defaults, focus and tab order, the command
// lines its buttons hand to a recording interpreter, closing, and input
// given while a command runs.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QPointer>

#include <atomic>
#include <thread>
#include <utility>

#include "framework/ui_thread.h"
#include "commands/hex.h"
#include "gui/gui_test_support.h"
#include "res/resource.h"
#include "tools/tools_dialog.h"

namespace nolt {
namespace {

using namespace res;
using test::pump;

// The GBK names of the two connections and the two static-address lines'
// fixed parts.
const std::string kLocal = "\xB1\xBE\xB5\xD8\xC1\xAC\xBD\xD3";  // 本地连接
const std::string kEthernet = "\xD2\xD4\xCC\xAB\xCD\xF8";        // 以太网
const std::string kFirewallLine = "netsh firewall set opmode mode=disable  &&  pause ";

std::string addressLine(const std::string& name, const std::string& ip, const std::string& gw)
{
    return "netsh interface ip set address \"" + name + "\" static " + ip + " 255.255.255.0 " + gw;
}

std::vector<std::string> lines(const RecordingCommandInterpreter& r)
{
    std::vector<std::string> out;
    for (const Command& c : r.commands()) out.push_back(c.line);
    return out;
}

std::vector<std::uint8_t> bytes(const std::string& line)
{
    return {line.begin(), line.end()};
}

void pressKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, mods);
}

class ToolsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { dlg = test::openDialog<DlgOther>(rec); }
    test::BoxRecorder boxes;
    RecordingCommandInterpreter rec;
    std::unique_ptr<DlgOther> dlg;
};

TEST_F(ToolsDialogTest, OpensWithDefaultsAndTheFocusOnThePcAddress)
{
    EXPECT_EQ(dlg->GetWindowText(), L"Tools");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_TOOLS_PC_IP), L"192.168.2.66");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_TOOLS_GATEWAY), L"192.168.2.1");
    EXPECT_EQ(dlg->GetDlgItemText(IDC_TOOLS_MODULE_IP), L"192.168.2.119");
    EXPECT_EQ(dlg->GetFocusId(), IDC_TOOLS_PC_IP);
    EXPECT_TRUE(rec.commands().empty());
}

TEST_F(ToolsDialogTest, TabWalksTheControlsInTheirOrderAndBackTabReturns)
{
    const int order[] = {IDC_TOOLS_PC_IP, IDC_TOOLS_GATEWAY, IDC_TOOLS_SET_LOCAL_IP, IDC_TOOLS_MODULE_IP,
                         IDC_TOOLS_PING, IDC_TOOLS_FIREWALL, IDC_TOOLS_PC_IP};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        pressKey(Qt::Key_Tab);
        EXPECT_EQ(dlg->GetFocusId(), order[i]) << "after tab " << i;
    }
    pressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(dlg->GetFocusId(), IDC_TOOLS_FIREWALL);
    EXPECT_TRUE(rec.commands().empty());
}

// Every button once, with addresses typed by the user: the four lines, in
// the order of the presses.
TEST_F(ToolsDialogTest, EditedAddressesReachTheLinesInOrder)
{
    const struct {
        const char* pc;
        const char* gw;
        const char* module;
        std::string pcN, gwN, moduleN;  // as the lines carry them
    } cases[] = {
        {"10.0.0.7", "10.0.0.254", "127.0.0.1", "10.0.0.7", "10.0.0.254", "127.0.0.1"},
        {"1.2.3.4", "255.255.255.255", "0.0.0.0", "1.2.3.4", "255.255.255.255", "0.0.0.0"},
        // The control holds a field at 255 however much is typed.
        {"300.1.2.3", "10.0.0.1", "127.0.0.2", "255.1.2.3", "10.0.0.1", "127.0.0.2"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pcN);
        RecordingCommandInterpreter r;
        DlgOther d(r);
        d.Create();
        QApplication::setActiveWindow(fw::DialogAccess::window(d));
        ASSERT_TRUE(test::setIpText(d, IDC_TOOLS_PC_IP, c.pc));
        ASSERT_TRUE(test::setIpText(d, IDC_TOOLS_GATEWAY, c.gw));
        ASSERT_TRUE(test::setIpText(d, IDC_TOOLS_MODULE_IP, c.module));
        ASSERT_TRUE(test::click(d, IDC_TOOLS_FIREWALL));
        ASSERT_TRUE(test::click(d, IDC_TOOLS_SET_LOCAL_IP));
        ASSERT_TRUE(test::click(d, IDC_TOOLS_PING));
        const std::vector<std::string> want = {kFirewallLine, addressLine(kLocal, c.pcN, c.gwN),
                                               addressLine(kEthernet, c.pcN, c.gwN),
                                               "ping " + c.moduleN + " -t"};
        EXPECT_EQ(lines(r), want);
        EXPECT_TRUE(d.IsWindowVisible());
    }
}

// The four lines of the defaults, one press of each button.
TEST_F(ToolsDialogTest, TheDefaultLinesByteForByte)
{
    const char* want[] = {
        // netsh firewall set opmode mode=disable  &&  pause
        "6E 65 74 73 68 20 66 69 72 65 77 61 6C 6C 20 73 65 74 20 6F 70 6D 6F 64 65 20 "
        "6D 6F 64 65 3D 64 69 73 61 62 6C 65 20 20 26 26 20 20 70 61 75 73 65 20",
        // netsh interface ip set address "本地连接" static 192.168.2.66 255.255.255.0 192.168.2.1
        "6E 65 74 73 68 20 69 6E 74 65 72 66 61 63 65 20 69 70 20 73 65 74 20 61 64 64 72 65 73 73 20 "
        "22 B1 BE B5 D8 C1 AC BD D3 22 20 73 74 61 74 69 63 20 31 39 32 2E 31 36 38 2E 32 2E 36 36 20 "
        "32 35 35 2E 32 35 35 2E 32 35 35 2E 30 20 31 39 32 2E 31 36 38 2E 32 2E 31",
        // the same for "以太网"
        "6E 65 74 73 68 20 69 6E 74 65 72 66 61 63 65 20 69 70 20 73 65 74 20 61 64 64 72 65 73 73 20 "
        "22 D2 D4 CC AB CD F8 22 20 73 74 61 74 69 63 20 31 39 32 2E 31 36 38 2E 32 2E 36 36 20 "
        "32 35 35 2E 32 35 35 2E 32 35 35 2E 30 20 31 39 32 2E 31 36 38 2E 32 2E 31",
        // ping 192.168.2.119 -t
        "70 69 6E 67 20 31 39 32 2E 31 36 38 2E 32 2E 31 31 39 20 2D 74",
    };
    ASSERT_TRUE(test::click(*dlg, IDC_TOOLS_FIREWALL));
    ASSERT_TRUE(test::click(*dlg, IDC_TOOLS_SET_LOCAL_IP));
    ASSERT_TRUE(test::click(*dlg, IDC_TOOLS_PING));
    ASSERT_EQ(rec.commands().size(), std::size(want));
    for (std::size_t i = 0; i < std::size(want); ++i)
        EXPECT_EQ(bytes(rec.commands()[i].line), test::hex(want[i])) << "line " << i;
}

TEST_F(ToolsDialogTest, SecondAddressCommandRunsWhenTheFirstFails)
{
    rec.failCall(0, 1);
    ASSERT_TRUE(test::click(*dlg, IDC_TOOLS_SET_LOCAL_IP));
    EXPECT_EQ(lines(rec), (std::vector<std::string>{addressLine(kLocal, "192.168.2.66", "192.168.2.1"),
                                                   addressLine(kEthernet, "192.168.2.66", "192.168.2.1")}));
    EXPECT_TRUE(boxes.boxes.empty());
}

// Enter presses a focused push button and otherwise ends the dialog, as do
// Escape and the close box.
TEST_F(ToolsDialogTest, EnterEscapeAndTheCloseBox)
{
    const struct {
        const char* name;
        int focus;
        Qt::Key key;  // Qt::Key_unknown: the close box
        bool ends;
        std::size_t commands;
    } cases[] = {
        {"enter on ping", IDC_TOOLS_PING, Qt::Key_Return, false, 1},
        {"enter on firewall", IDC_TOOLS_FIREWALL, Qt::Key_Return, false, 1},
        {"keypad enter on set", IDC_TOOLS_SET_LOCAL_IP, Qt::Key_Enter, false, 2},
        {"enter on an address", IDC_TOOLS_MODULE_IP, Qt::Key_Return, true, 0},
        {"escape on a button", IDC_TOOLS_PING, Qt::Key_Escape, true, 0},
        {"close box", IDC_TOOLS_PC_IP, Qt::Key_unknown, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingCommandInterpreter r;
        auto d = test::openDialog<DlgOther>(r);
        d->GotoDlgCtrl(c.focus);
        ASSERT_EQ(d->GetFocusId(), c.focus);
        if (c.key == Qt::Key_unknown)
            fw::DialogAccess::window(*d)->close();
        else
            pressKey(c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        pump(10);
        EXPECT_EQ(d->IsWindowVisible(), !c.ends);
        EXPECT_EQ(r.commands().size(), c.commands);
    }
}

// An address the guard refuses never reaches the interpreter; the user is
// told in a Tips box. A real IP-address control cannot produce one, so the
// dialog here reads its addresses from elsewhere.
class RefusingDlg : public DlgOther {
public:
    using DlgOther::DlgOther;
    std::wstring bad;

protected:
    std::wstring ReadAddress(int) const override { return bad; }
};

TEST_F(ToolsDialogTest, RefusedAddressRunsNothingAndSaysSo)
{
    for (const std::wstring bad : {L"1.2.3.4 && calc", L"1.2.3", L"", L"300.1.1.1"}) {
        RecordingCommandInterpreter r;
        auto d = test::openDialog<RefusingDlg>(r);
        d->bad = bad;
        boxes.boxes.clear();
        ASSERT_TRUE(test::click(*d, IDC_TOOLS_SET_LOCAL_IP));
        ASSERT_TRUE(test::click(*d, IDC_TOOLS_PING));
        EXPECT_TRUE(r.commands().empty());
        ASSERT_EQ(boxes.boxes.size(), 2u);
        for (const auto& b : boxes.boxes) {
            EXPECT_EQ(b.caption, L"Tips");
            EXPECT_EQ(b.icon, fw::MessageIcon::Exclamation);
            EXPECT_FALSE(b.text.empty());
        }
    }
}

// A command that takes a while, and does things to the dialog from the UI
// thread while it runs (the UI thread serves such calls during the wait).
class SlowInterpreter final : public CommandInterpreter {
public:
    std::function<void()> duringRun;
    std::function<void()> afterPause;
    RecordingCommandInterpreter rec;

    int run(const Command& command) override
    {
        // Each hook acts once, so that a command started by leaked input
        // is recorded rather than acting again.
        if (auto during = std::exchange(duringRun, nullptr)) fw::runOnUiThread(during);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        if (auto after = std::exchange(afterPause, nullptr)) fw::runOnUiThread(after);
        return rec.run(command);
    }
};

class PaintCounter : public QObject {
public:
    std::atomic<int> paints{0};
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST(ToolsDialogBlocking, InputAndClosingDuringACommandAreDroppedWhilePaintingGoesOn)
{
    test::BoxRecorder boxes;
    SlowInterpreter slow;
    auto d = test::openDialog<DlgOther>(slow);
    QDialog* w = fw::DialogAccess::window(*d);
    QWidget* firewall = test::widgetOf(*d, IDC_TOOLS_FIREWALL);
    QWidget* gateway = test::widgetOf(*d, IDC_TOOLS_GATEWAY);
    PaintCounter counter;
    w->installEventFilter(&counter);
    int paintsBefore = 0;
    int paintsAfter = 0;

    slow.duringRun = [&] {
        // A click on another button, digits typed into an address, Escape,
        // Enter and the close box: all while the ping runs.
        QTest::mouseClick(firewall, Qt::LeftButton, Qt::NoModifier, firewall->rect().center());
        QLineEdit* field = static_cast<fw::IpAddressEdit*>(gateway)->field(0);
        field->setFocus(Qt::MouseFocusReason);
        field->selectAll();
        QTest::keyClicks(field, "77");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        // The window manager's close box is no input event but a request.
        w->close();
        paintsBefore = counter.paints;
        w->update();
    };
    slow.afterPause = [&] { paintsAfter = counter.paints; };

    ASSERT_TRUE(test::click(*d, IDC_TOOLS_PING));
    pump(100);

    EXPECT_EQ(lines(slow.rec), std::vector<std::string>{"ping 192.168.2.119 -t"});
    EXPECT_EQ(d->GetDlgItemText(IDC_TOOLS_GATEWAY), L"192.168.2.1");
    EXPECT_TRUE(d->IsWindowVisible());
    EXPECT_GT(paintsAfter, paintsBefore) << "the window did not paint while the command ran";
    w->removeEventFilter(&counter);

    // Once the command has ended the dialog takes input again, the same
    // input as above.
    ASSERT_TRUE(test::setIpText(*d, IDC_TOOLS_GATEWAY, "77.1.1.1"));
    EXPECT_EQ(d->GetDlgItemText(IDC_TOOLS_GATEWAY), L"77.1.1.1");
    ASSERT_TRUE(test::click(*d, IDC_TOOLS_FIREWALL));
    EXPECT_EQ(lines(slow.rec).back(), kFirewallLine);
}

// A button pressed while a command runs, by any road that is no key or mouse
// press (a click from code, an accessibility action, a notification), never
// starts a second command inside the first.
TEST(ToolsDialogBlocking, NoWayOfPressingAButtonStartsASecondCommand)
{
    const auto button = [](DlgOther& d, int id) { return static_cast<QAbstractButton*>(test::widgetOf(d, id)); };
    const struct {
        const char* name;
        std::function<void(DlgOther&)> press;
    } cases[] = {
        {"click from code", [&](DlgOther& d) { button(d, IDC_TOOLS_FIREWALL)->click(); }},
        {"accessibility action",
         [&](DlgOther& d) {
             QAccessibleInterface* a = QAccessible::queryAccessibleInterface(button(d, IDC_TOOLS_SET_LOCAL_IP));
             ASSERT_TRUE(a && a->actionInterface());
             a->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
         }},
        {"notification", [](DlgOther& d) { d.SendNotification(IDC_TOOLS_PING, fw::Notify::Click); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::BoxRecorder boxes;
        SlowInterpreter slow;
        auto d = test::openDialog<DlgOther>(slow);
        slow.duringRun = [&] { c.press(*d); };
        ASSERT_TRUE(test::click(*d, IDC_TOOLS_PING));
        pump(300);  // a press that was only delayed would have run by now
        EXPECT_EQ(lines(slow.rec), std::vector<std::string>{"ping 192.168.2.119 -t"});
        EXPECT_TRUE(boxes.boxes.empty());
        // Once the command has ended, the same press works.
        c.press(*d);
        EXPECT_TRUE(test::pumpUntil([&] { return slow.rec.commands().size() > 1; }));
    }
}

}  // namespace
}  // namespace nolt
