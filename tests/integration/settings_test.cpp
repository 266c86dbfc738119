// The settings file through the real dialog: what a start applies, what
// the closing paths write, and files that are odd. Folders that cannot be
// written: settings_folder_test.cpp.
#include "dialog_fixture.h"
#include "platform/file_failure_text.h"
#include "raw_peer.h"

namespace nolt::test {
namespace {

const std::string kFirstRunFile =
    "[SaveData]\r\n"
    "LinkIP=192.168.2.119\r\n"
    "LinkPort=2000\r\n"
    "DstIp=192.168.2.119\r\n"
    "Gateway=192.168.2.1\r\n"
    "DNS=0.0.0.0\r\n"
    "UdpDstIp=192.168.5.3\r\n"
    "UdpPort=23003\r\n";

// The saved controls in file order, and the subnet mask, which is not saved.
const int kSaved[] = {res::IDC_LINK_IP, res::IDC_LINK_PORT, res::IDC_CAMERA_IP, res::IDC_GATEWAY,
                      res::IDC_DNS,     res::IDC_UDP_DST_IP, res::IDC_UDP_PORT};

class SettingsTest : public DialogFixture {
protected:
    std::vector<std::wstring> savedTexts() const
    {
        std::vector<std::wstring> out;
        for (int id : kSaved) out.push_back(text(id));
        return out;
    }
};

TEST_F(SettingsTest, FirstRunCloseWritesTheStartTextsTwice)
{
    open();
    ASSERT_TRUE(click(*dlg, res::IDC_CLOSE));
    EXPECT_EQ(dlg->saves, 2) << "the Close button saves, then the window close saves again";
    EXPECT_EQ(readFile(settingsFile()), kFirstRunFile);
    EXPECT_FALSE(dlg->IsWindowVisible());
    EXPECT_TRUE(log().empty());
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST_F(SettingsTest, CloseWithAConnectionOpenEndsItWithoutALine)
{
    RawPeer module;
    open();
    connectTo(module.port());
    ASSERT_TRUE(waitUntil([&] { return module.accepted(); }));
    dlg->SetDlgItemText(res::IDC_DNS, L"8.8.4.4");
    ASSERT_TRUE(click(*dlg, res::IDC_CLOSE));
    EXPECT_TRUE(waitUntil([&] { return module.peerClosed(0); }));
    EXPECT_FALSE(dlg->IsConnected());
    EXPECT_TRUE(linkIdle());
    EXPECT_TRUE(module.read(100).empty()) << "closing sends nothing";
    EXPECT_EQ(log(), std::vector<std::wstring>{kConnected});
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_EQ(dlg->saves, 2);
    const std::string file = readFile(settingsFile());
    EXPECT_NE(file.find("LinkIP=127.0.0.1\r\nLinkPort=" + std::to_string(module.port()) + "\r\n"), std::string::npos);
    EXPECT_NE(file.find("DNS=8.8.4.4\r\n"), std::string::npos);
}

TEST_F(SettingsTest, TheWindowCloseSavesOnceAndAStartReadsItBack)
{
    open();
    dlg->SetDlgItemText(res::IDC_LINK_IP, L"127.0.0.1");
    dlg->SetDlgItemText(res::IDC_LINK_PORT, L"2345");
    dlg->SetDlgItemText(res::IDC_SUBMASK, L"255.0.0.0");
    dlg->SendClose();
    EXPECT_EQ(dlg->saves, 1);
    EXPECT_EQ(readFile(settingsFile()).find("255.0.0.0"), std::string::npos) << "the mask is not stored";
    dlg.reset();
    open();
    EXPECT_EQ(text(res::IDC_LINK_IP), L"127.0.0.1");
    EXPECT_EQ(text(res::IDC_LINK_PORT), L"2345");
    EXPECT_EQ(text(res::IDC_SUBMASK), L"255.255.255.0");
    EXPECT_FALSE(enabled(res::IDC_LINK_PORT)) << "loading leaves the enabled state alone";
    EXPECT_FALSE(enabled(res::IDC_UDP_PORT));
    EXPECT_FALSE(enabled(res::IDC_UDP_DST_IP));
}

struct LoadCase {
    const char* name;
    std::string file;
    // Texts of 1006, 1007, 1011, 1029, 1030, 1024, 1017 after the start.
    std::vector<std::wstring> texts;
};

const std::vector<std::wstring> kStartTexts = {L"192.168.2.119", L"2000",        L"192.168.2.119", L"192.168.2.1",
                                               L"0.0.0.0",       L"192.168.5.3", L"23003"};

std::vector<LoadCase> loadCases()
{
    const std::string full = "[SaveData]\r\nLinkIP=10.1.2.3\r\nLinkPort=4000\r\nDstIp=10.1.2.4\r\nGateway=10.1.2.1\r\n"
                             "DNS=10.1.2.2\r\nUdpDstIp=10.1.2.5\r\nUdpPort=5000\r\n";
    const std::vector<std::wstring> fullTexts = {L"10.1.2.3", L"4000",     L"10.1.2.4", L"10.1.2.1",
                                                 L"10.1.2.2", L"10.1.2.5", L"5000"};
    return {
        {"all seven keys", full, fullTexts},
        {"names in any letter case",
         "[savedata]\r\nlinkip=10.1.2.3\r\nLINKPORT=4000\r\nDstIP=10.1.2.4\r\ngateway=10.1.2.1\r\n"
         "dns=10.1.2.2\r\nudpdstip=10.1.2.5\r\nUDPPORT=5000\r\n",
         fullTexts},
        // The other four keys read "NULL": address fields show blank, the port shows the text.
        {"only the three link keys", "[SaveData]\r\nLinkIP=10.1.2.3\r\nLinkPort=4000\r\nDstIp=10.1.2.4\r\n",
         {L"10.1.2.3", L"4000", L"10.1.2.4", L"0.0.0.0", L"0.0.0.0", L"0.0.0.0", L"NULL"}},
        {"LinkIP stored as NULL", "[SaveData]\r\nLinkIP=NULL\r\nLinkPort=4000\r\nDstIp=10.1.2.4\r\nUdpPort=5000\r\n",
         kStartTexts},
        {"LinkPort missing", "[SaveData]\r\nLinkIP=10.1.2.3\r\nDstIp=10.1.2.4\r\n", kStartTexts},
        {"LinkIP stored as null",
         "[SaveData]\r\nLinkIP=null\r\nLinkPort=4000\r\nDstIp=10.1.2.4\r\nGateway=10.1.2.1\r\nDNS=10.1.2.2\r\n"
         "UdpDstIp=10.1.2.5\r\nUdpPort=5000\r\n",
         {L"0.0.0.0", L"4000", L"10.1.2.4", L"10.1.2.1", L"10.1.2.2", L"10.1.2.5", L"5000"}},
        {"an empty value", "[SaveData]\r\nLinkIP=10.1.2.3\r\nLinkPort=\r\nDstIp=10.1.2.4\r\n",
         {L"10.1.2.3", L"", L"10.1.2.4", L"0.0.0.0", L"0.0.0.0", L"0.0.0.0", L"NULL"}},
        {"a 300-character value", "[SaveData]\r\nLinkIP=10.1.2.3\r\nLinkPort=" + std::string(300, '7') + "\r\nDstIp=10.1.2.4\r\n",
         {L"10.1.2.3", std::wstring(259, L'7'), L"10.1.2.4", L"0.0.0.0", L"0.0.0.0", L"0.0.0.0", L"NULL"}},
        {"no line end at the end", "[SaveData]\r\nLinkIP=10.1.2.3\r\nLinkPort=4000\r\nDstIp=10.1.2.4",
         {L"10.1.2.3", L"4000", L"10.1.2.4", L"0.0.0.0", L"0.0.0.0", L"0.0.0.0", L"NULL"}},
        {"a line of 100,000 characters",
         "[SaveData]\r\nNote=" + std::string(100000, 'x') + "\r\nLinkIP=10.1.2.3\r\nLinkPort=4000\r\nDstIp=10.1.2.4\r\n",
         {L"10.1.2.3", L"4000", L"10.1.2.4", L"0.0.0.0", L"0.0.0.0", L"0.0.0.0", L"NULL"}},
        {"binary garbage", std::string("\x00\xff\xfe[\x01\x02]\r\n=\x80\x81\n\n\r\r", 16), kStartTexts},
        {"a stored mask", full + "SubMask=1.2.3.4\r\nMask=1.2.3.4\r\n", fullTexts},
    };
}

TEST_F(SettingsTest, AStartAppliesTheFileByTheNullRule)
{
    for (const LoadCase& c : loadCases()) {
        SCOPED_TRACE(c.name);
        writeFile(settingsFile(), c.file);
        open();
        EXPECT_EQ(savedTexts(), c.texts);
        EXPECT_EQ(text(res::IDC_SUBMASK), L"255.255.255.0");
        dlg.reset();
        EXPECT_EQ(readFile(settingsFile()), c.file) << "a start never writes";
    }
}

// "null" is applied as text; the address control cannot show it, stays
// blank, reads 0.0.0.0, and Connect refuses that with its usual box.
TEST_F(SettingsTest, ALinkAddressThatIsNoAddressShowsBlankAndConnectRefusesIt)
{
    writeFile(settingsFile(), "[SaveData]\r\nLinkIP=null\r\nLinkPort=4000\r\nDstIp=10.1.2.4\r\n");
    open();
    EXPECT_TRUE(fw::user::isBlank(*dlg, res::IDC_LINK_IP));
    EXPECT_EQ(text(res::IDC_LINK_IP), L"0.0.0.0");
    ASSERT_TRUE(click(*dlg, res::IDC_CONNECT));
    ASSERT_TRUE(waitUntil([&] { return !boxes.boxes.empty(); }));
    EXPECT_EQ(boxes.boxes[0].text, kBadInput);
    EXPECT_TRUE(linkIdle());
}

TEST_F(SettingsTest, ASaveKeepsEveryOtherLine)
{
    const std::string before = "; kept comment\r\n[Other]\r\nLinkIP=1.1.1.1\r\n\r\n[SAVEDATA]\r\nUnknown=yes\r\n"
                               "linkport=99\r\n; inside\r\n[Last]\r\nx=y\r\n";
    writeFile(settingsFile(), before);
    open();
    dlg->SendClose();
    EXPECT_EQ(readFile(settingsFile()),
              "; kept comment\r\n[Other]\r\nLinkIP=1.1.1.1\r\n\r\n[SAVEDATA]\r\nUnknown=yes\r\n"
              "linkport=2000\r\n; inside\r\nLinkIP=192.168.2.119\r\nDstIp=192.168.2.119\r\nGateway=192.168.2.1\r\n"
              "DNS=0.0.0.0\r\nUdpDstIp=192.168.5.3\r\nUdpPort=23003\r\n[Last]\r\nx=y\r\n");
}

// A save that fails is said once, though the Close button saves twice: in
// the log and in a box, with the file and the system's reason; the dialog
// closes all the same and nothing is written.
TEST_F(SettingsTest, ASaveThatFailsIsSaidOnceAndTheDialogStillCloses)
{
    writeFile(dir() / "plain", "x");
    const std::filesystem::path file = dir() / "plain" / "sub" / "Config.ini";  // its folder cannot be made
    useSettingsFile(file);
    open();
    ASSERT_TRUE(click(*dlg, res::IDC_CLOSE));
    EXPECT_EQ(dlg->saves, 2);
    EXPECT_FALSE(dlg->IsWindowVisible());
    EXPECT_EQ(readFile(dir() / "plain"), "x");
    const std::wstring start = L"The settings could not be saved to " + pathForDisplay(file) + L": ";
    const std::vector<std::wstring> lines = log();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind(start, 0), 0u) << lines[0];
    EXPECT_GT(lines[0].size(), start.size()) << "the system's reason follows";
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].text, lines[0]);
    EXPECT_EQ(boxes.boxes[0].caption, L"Tips");
    EXPECT_EQ(boxes.boxes[0].icon, fw::MessageIcon::Exclamation);
}

// A file above the size bound: one line in the log at the start, the start
// texts in the fields, and the file as it was after both saves of the close.
TEST_F(SettingsTest, AFileTooLargeIsSaidOnceAndLeftAlone)
{
    const std::string big = "[SaveData]\r\nLinkIP=10.1.2.3\r\nLinkPort=4000\r\nDstIp=10.1.2.4\r\n;"
                            + std::string(2 << 20, 'x') + "\r\n";
    writeFile(settingsFile(), big);
    open();
    EXPECT_EQ(text(res::IDC_LINK_IP), L"192.168.2.119");
    EXPECT_EQ(log(), std::vector<std::wstring>{L"The settings file is larger than 1 MiB and was not read: the start "
                                               L"values are used and the file is left unchanged."});
    ASSERT_TRUE(click(*dlg, res::IDC_CLOSE));
    EXPECT_FALSE(dlg->IsWindowVisible());
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(readFile(settingsFile()) == big);
}

}  // namespace
}  // namespace nolt::test
