// The names a template gives its controls, worked out once for both
// backends: labels without their colon, radio buttons with their group's
// label, names of their own, and entries that cannot be trusted left out.

#include <gtest/gtest.h>

#include <set>

#include "framework/accessible_names.h"
#include "res/templates.h"

namespace nolt {
namespace {

using K = fw::ControlKind;
using fw::IDC_STATIC;

enum : int { kPort = 10, kTen = 11, kHundred = 12, kRate = 13, kLog = 14, kGo = 15, kLoose = 16, kIp = 17 };

constexpr fw::ControlTemplate kControls[] = {
    {IDC_STATIC, K::StaticLeft, L"Port：", 0, 0, 20, 8},                  // 0
    {kPort, K::DigitsEdit, L"", 20, 0, 30, 12},                            // 1
    {IDC_STATIC, K::StaticCenter, L"Network bandwidth:", 0, 14, 40, 8},    // 2
    {kTen, K::RadioButton, L"10M", 40, 14, 20, 8, fw::kGroup},             // 3
    {kHundred, K::RadioButton, L"100M", 60, 14, 20, 8},                    // 4
    {IDC_STATIC, K::StaticLeft, L"Twice", 0, 24, 20, 8},                   // 5
    {IDC_STATIC, K::StaticLeft, L"Twice", 0, 34, 20, 8},                   // 6
    {IDC_STATIC, K::StaticLeft, L"Rate : ", 0, 44, 20, 8},                 // 7
    {kRate, K::DropDownList, L"", 20, 44, 30, 40},                         // 8
    {kLog, K::LogEdit, L"", 60, 0, 40, 60},                                // 9
    {kGo, K::PushButton, L"Go", 0, 60, 30, 14},                            // 10
    {kLoose, K::Edit, L"", 0, 80, 30, 12},                                 // 11
    {IDC_STATIC, K::StaticCenter, L"Camera IP", 0, 94, 30, 8},             // 12
    {kIp, K::IpAddress, L"", 30, 94, 60, 12},                              // 13
};

constexpr fw::ControlName kNames[] = {
    fw::labelledBy(kPort, L"Port："),
    fw::labelledBy(kTen, L"Network bandwidth:"),
    fw::labelledBy(kHundred, L"Network bandwidth:"),
    fw::labelledBy(kLoose, L"Twice"),    // two statics say this: no name
    fw::labelledBy(kLoose, L"Go"),       // a button, not a static text
    fw::labelledBy(kLoose, L"Missing"),  // no such static text
    fw::labelledBy(99, L"Port："),       // no such control
    fw::labelledBy(kRate, L"Rate : "),
    fw::namedAs(kLog, L"Message log"),
    fw::namedAs(kLoose, L""),
    fw::namedAs(IDC_STATIC, L"a label"),  // labels are not named
    fw::labelledBy(kIp, L"Camera IP"),
};

constexpr fw::DialogTemplate kTemplate{500, L"Names", 120, 120, L"MS Shell Dlg", 8, fw::kSysMenu, kControls, kNames};

TEST(AccessibleNamesTest, EachEntryGivesItsControlTheNameOrIsLeftOut)
{
    struct Expected {
        int id;
        const wchar_t* name;
        int label;
    };
    const Expected expected[] = {
        {kPort, L"Port", 0},
        {kTen, L"Network bandwidth 10M", 2},
        {kHundred, L"Network bandwidth 100M", 2},
        {kRate, L"Rate", 7},
        {kLog, L"Message log", -1},
        {kIp, L"Camera IP", 12},
    };
    const std::vector<fw::AccessibleName> names = fw::accessibleNames(kTemplate);
    ASSERT_EQ(names.size(), std::size(expected));
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(expected[i].id);
        EXPECT_EQ(names[i].id, expected[i].id);
        EXPECT_EQ(names[i].name, expected[i].name);
        EXPECT_EQ(names[i].label, expected[i].label);
    }
}

TEST(AccessibleNamesTest, ALabelLosesItsClosingColonOnly)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"IP：", L"IP"},        {L"Port:", L"Port"},   {L"DHCP:", L"DHCP"},     {L"Gateway", L"Gateway"},
        {L"Rate : ", L"Rate"},   {L"a:b", L"a:b"},      {L"Time: :", L"Time:"},  {L"：", L""},
        {L"", L""},              {L"Port： ", L"Port"}, {L"Sub stream switch", L"Sub stream switch"},
    };
    for (const auto& [label, name] : cases) EXPECT_EQ(fw::nameFromLabel(label), name);
}

TEST(AccessibleNamesTest, TheFieldsOfAnIpAddressControlAreNumberedPartsOfIt)
{
    EXPECT_EQ(fw::ipAddressPartName(L"Camera IP", 1), L"Camera IP, part 1 of 4");
    EXPECT_EQ(fw::ipAddressPartName(L"Movement IP", 4), L"Movement IP, part 4 of 4");
}

// The tool's own templates: every entry names a control (a typo in a label
// would silently leave it unnamed), no control is named twice, and every
// control a user types into, picks from or reads has a name; push buttons
// are named by their captions.
TEST(AccessibleNamesTest, EveryInputOfEveryTemplateIsNamedOnce)
{
    for (const fw::DialogTemplate* t : res::allTemplates()) {
        SCOPED_TRACE("template " + std::to_string(t->id));
        const std::vector<fw::AccessibleName> names = fw::accessibleNames(*t);
        EXPECT_EQ(names.size(), t->names.size());
        std::multiset<int> named;
        for (const fw::AccessibleName& n : names) named.insert(n.id);
        for (const fw::ControlTemplate& c : t->controls) {
            const bool input = c.kind != K::StaticLeft && c.kind != K::StaticCenter && c.kind != K::GroupBox &&
                               c.kind != K::PushButton && c.kind != K::DefPushButton;
            EXPECT_EQ(named.count(c.id), input ? 1u : 0u) << "control " << c.id;
        }
    }
}

}  // namespace
}  // namespace nolt
