// The IP-address control, set by the program and typed by the user.

#include <gtest/gtest.h>

#include <QAccessible>

#include "app/nolt_pcclient_dlg.h"
#include "gui_test_support.h"
#include "res/resource.h"

namespace nolt {
namespace {

using res::IDC_CAMERA_IP;

using IpAddressTest = test::DialogTest<Cnolt_PCClientDlg>;

TEST_F(IpAddressTest, SetTextKeepsOnlyDottedAddresses)
{
    struct Case {
        const wchar_t* set;
        const wchar_t* reads;
    };
    const Case cases[] = {
        {L"1.2.3.4", L"1.2.3.4"},
        {L"255.255.255.255", L"255.255.255.255"},
        {L"010.001.000.9", L"10.1.0.9"},
        {L"", L"0.0.0.0"},
        {L"abc", L"0.0.0.0"},
        {L"1.2.3", L"0.0.0.0"},
        {L"1.2.3.4.5", L"0.0.0.0"},
        {L"256.1.1.1", L"0.0.0.0"},
        {L"1.2.3.x", L"0.0.0.0"},
        {L"-1.2.3.4", L"0.0.0.0"},
    };
    for (const Case& c : cases) {
        dlg->SetDlgItemText(IDC_CAMERA_IP, L"9.9.9.9");
        dlg->SetDlgItemText(IDC_CAMERA_IP, c.set);
        EXPECT_EQ(dlg->GetDlgItemText(IDC_CAMERA_IP), c.reads) << "set " << QString::fromWCharArray(c.set).toStdString();
    }
}

TEST_F(IpAddressTest, TypingMovesBetweenFields)
{
    struct Case {
        const char* typed;
        const wchar_t* reads;
    };
    const Case cases[] = {
        {"192.168.2.119", L"192.168.2.119"},
        {"1921682119", L"192.168.211.9"},  // a third digit moves on
        {"1..2", L"1.2.0.0"},              // a dot in an empty field stays
        {"300.1.1.1", L"255.1.1.1"},       // above 255 becomes 255
        {"a1b.2", L"1.2.0.0"},             // letters are refused
        {"", L"0.0.0.0"},
        {"10.0.0.1.5", L"10.0.0.15"},      // the last field takes the rest
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(test::setIpText(*dlg, IDC_CAMERA_IP, c.typed));
        EXPECT_EQ(dlg->GetDlgItemText(IDC_CAMERA_IP), c.reads) << "typed " << c.typed;
    }
}

TEST_F(IpAddressTest, TabLeavesTheControlAsAWhole)
{
    ASSERT_TRUE(test::setIpText(*dlg, IDC_CAMERA_IP, L"1.2"));
    EXPECT_EQ(dlg->GetFocusId(), IDC_CAMERA_IP);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(dlg->GetFocusId(), res::IDC_GATEWAY);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(dlg->GetFocusId(), IDC_CAMERA_IP);
}

TEST_F(IpAddressTest, BackspaceAtFieldStartGoesBack)
{
    ASSERT_TRUE(test::setIpText(*dlg, IDC_CAMERA_IP, L"12.34"));
    for (int i = 0; i < 4; ++i) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    EXPECT_EQ(dlg->GetDlgItemText(IDC_CAMERA_IP), L"1.0.0.0");
}

// To a screen reader the control is one text field holding the dotted
// address, with its four number fields as its only children (the dots
// between them are not read out one by one).
TEST_F(IpAddressTest, ScreenReadersSeeOneFieldWithTheAddressAsItsText)
{
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(test::widgetOf(*dlg, IDC_CAMERA_IP));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->role(), QAccessible::EditableText);
    QAccessibleTextInterface* text = a->textInterface();
    ASSERT_NE(text, nullptr);
    ASSERT_TRUE(test::setIpText(*dlg, IDC_CAMERA_IP, L"10.20.30.40"));
    EXPECT_EQ(text->text(0, -1), QStringLiteral("10.20.30.40"));
    EXPECT_EQ(text->characterCount(), 11);
    EXPECT_EQ(text->text(3, 5), QStringLiteral("20"));
    ASSERT_EQ(a->childCount(), 4);
    const auto* ip = qobject_cast<fw::IpAddressEdit*>(test::widgetOf(*dlg, IDC_CAMERA_IP));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a->child(i)->object(), ip->field(i));
        EXPECT_EQ(a->indexOfChild(a->child(i)), i);
        EXPECT_EQ(a->child(i)->text(QAccessible::Value), QString::number((i + 1) * 10));
    }
}

}  // namespace
}  // namespace nolt
