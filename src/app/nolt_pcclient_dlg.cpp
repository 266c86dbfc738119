// The main dialog's form, initialisation and message table.

#include "app/nolt_pcclient_dlg.h"

#include "app/about_dlg.h"
#include "framework/ui_thread.h"
#include "res/resource.h"
#include "res/strings.h"
#include "res/templates.h"

namespace nolt {
namespace {

using namespace res;
using fw::Notify;
using D = Cnolt_PCClientDlg;

constexpr auto kVersionFontFace = L"隶书";
constexpr int kVersionFontPoints = 20;
constexpr auto kTipsCaption = L"Tips";

// Start texts, in the order they are set.
struct StartText {
    int id;
    const wchar_t* text;
};
constexpr StartText kStartTexts[] = {
    {IDC_LINK_IP, L"192.168.2.119"}, {IDC_CAMERA_IP, L"192.168.2.119"}, {IDC_UDP_DST_IP, L"192.168.5.3"},
    {IDC_SUBMASK, L"255.255.255.0"}, {IDC_GATEWAY, L"192.168.2.1"},     {IDC_DNS, L"0.0.0.0"},
    {IDC_LINK_PORT, L"2000"},        {IDC_UDP_PORT, L"23003"},
};

constexpr int kSubStreamLists[] = {IDC_SUB_RESOLUTION, IDC_SUB_BITRATE, IDC_SUB_PUSH_MODE,
                                   IDC_SUB_ENCODER,    IDC_SUB_FRAME_RATE, IDC_SUB_PACKET};


}  // namespace

Cnolt_PCClientDlg::Cnolt_PCClientDlg()
    : fw::CDialogEx(res::mainTemplate()), link_(std::make_unique<Link>(static_cast<LinkUi&>(*this)))
{
}

// The link thread may be waiting for the UI thread (a log line, a box), so
// the UI keeps serving such calls while the thread is stopped and joined.
Cnolt_PCClientDlg::~Cnolt_PCClientDlg()
{
    findModules_.reset();  // stops its search, whose thread may wait for the UI too
    link_->stop([] { fw::processPendingEvents(); });
}

std::span<const fw::MessageEntry> Cnolt_PCClientDlg::GetMessageMap() const
{
    static constexpr fw::MessageEntry kMessageMap[] = {
        fw::on<&D::OnBnClickedConnect>(Notify::Click, IDC_CONNECT),
        fw::on<&D::OnBnClickedDisconnect>(Notify::Click, IDC_DISCONNECT),
        fw::on<&D::OnBnClickedClose>(Notify::Click, IDC_CLOSE),
        fw::on<&D::OnBnClickedStatusQuery>(Notify::Click, IDC_STATUS_QUERY),
        fw::on<&D::OnBnClickedMainStreamSend>(Notify::Click, IDC_MAIN_STREAM_SEND),
        fw::on<&D::OnBnClickedSaveIp>(Notify::Click, IDC_SAVE_IP),
        fw::on<&D::OnBnClickedTools>(Notify::Click, IDC_TOOLS),
        fw::on<&D::OnBnClickedVersionQuery>(Notify::Click, IDC_VERSION_QUERY),
        fw::on<&D::OnCbnSelchangePushMode>(Notify::SelChange, IDC_MAIN_PUSH_MODE),
        fw::on<&D::OnEnSetfocusLog>(Notify::SetFocus, IDC_LOG),
        fw::on<&D::OnCbnSelchangeResolution>(Notify::SelChange, IDC_MAIN_RESOLUTION),
        fw::on<&D::OnCbnSelchangeWarningLists>(Notify::SelChange, IDC_MAIN_PACKET),
        fw::on<&D::OnCbnSelchangeWarningLists>(Notify::SelChange, IDC_MAIN_FRAME_RATE),
        fw::on<&D::OnCbnSelchangeSettingLists>(Notify::SelChange, IDC_MAIN_BITRATE),
        fw::on<&D::OnCbnSelchangeSettingLists>(Notify::SelChange, IDC_MAIN_ENCODER),
        fw::on<&D::OnCbnSelchangeSettingLists>(Notify::SelChange, IDC_MAIN_RECORD),
        fw::on<&D::OnCbnSelchangeSettingLists>(Notify::SelChange, IDC_SUB_BITRATE),
        fw::on<&D::OnCbnSelchangeSettingLists>(Notify::SelChange, IDC_SUB_ENCODER),
        fw::on<&D::OnCbnSelchangeSettingLists>(Notify::SelChange, IDC_SUB_FRAME_RATE),
        fw::on<&D::OnCbnSelchangeSettingLists>(Notify::SelChange, IDC_SUB_PACKET),
        fw::on<&D::OnBnClickedReminder>(Notify::Click, IDC_REMINDER),
        fw::on<&D::OnBnClickedSubStreamSend>(Notify::Click, IDC_SUB_STREAM_SEND),
        fw::on<&D::OnCbnSelchangeSubResolution>(Notify::SelChange, IDC_SUB_RESOLUTION),
        fw::on<&D::OnCbnSelchangeSubPushMode>(Notify::SelChange, IDC_SUB_PUSH_MODE),
        fw::on<&D::OnBnClickedBandwidth10M>(Notify::Click, IDC_BANDWIDTH_10M),
        fw::on<&D::OnBnClickedBandwidth100M>(Notify::Click, IDC_BANDWIDTH_100M),
        fw::on<&D::OnBnClickedDhcpOn>(Notify::Click, IDC_DHCP_ON),
        fw::on<&D::OnBnClickedDhcpOff>(Notify::Click, IDC_DHCP_OFF),
        fw::on<&D::OnBnClickedSubOff>(Notify::Click, IDC_SUB_OFF),
        fw::on<&D::OnBnClickedSubOn>(Notify::Click, IDC_SUB_ON),
        fw::on<&D::OnBnClickedUploadAddr>(Notify::Click, IDC_UPLOAD_ADDR),
    };
    return kMessageMap;
}

void Cnolt_PCClientDlg::DoDataExchange(fw::DataExchange& dx)
{
    CDialogEx::DoDataExchange(dx);
    const std::pair<int, fw::CWndRef*> bindings[] = {
        {IDC_LOG, &m_log},
        {IDC_OUTPUT_FREQ, &m_outputFreq},
        {IDC_INPUT_FREQ, &m_inputFreq},
        {IDC_DEST_IMG_SIZE, &m_destImgSize},
        {IDC_MAIN_BITRATE, &m_mainBitrate},
        {IDC_MAIN_RESOLUTION, &m_mainResolution},
        {IDC_MAIN_PUSH_MODE, &m_mainPushMode},
        {IDC_MAIN_ENCODER, &m_mainEncoder},
        {IDC_VERSION, &m_version},
        {IDC_MAIN_FRAME_RATE, &m_mainFrameRate},
        {IDC_SRC_IMG_SIZE, &m_srcImgSize},
        {IDC_MAIN_PACKET, &m_mainPacket},
        {IDC_MAIN_RECORD, &m_mainRecord},
        {IDC_SUB_RESOLUTION, &m_subResolution},
        {IDC_SUB_BITRATE, &m_subBitrate},
        {IDC_SUB_PUSH_MODE, &m_subPushMode},
        {IDC_SUB_ENCODER, &m_subEncoder},
        {IDC_SUB_FRAME_RATE, &m_subFrameRate},
        {IDC_SUB_PACKET, &m_subPacket},
    };
    for (const auto& [id, control] : bindings) fw::DDX_Control(dx, id, *control);
    if (!m_versionFontSet) {
        m_version.SetFont(kVersionFontFace, kVersionFontPoints);
        m_versionFontSet = true;
    }
}

bool Cnolt_PCClientDlg::OnInitDialog()
{
    CDialogEx::OnInitDialog();
    const std::wstring about(res::loadString(IDS_ABOUTBOX));
    if (HasSystemMenu() && !about.empty()) {
        AppendSystemMenuSeparator();
        AppendSystemMenuItem(IDM_FIND_MODULES, std::wstring(res::loadString(IDS_FIND_MODULES)));
        AppendSystemMenuItem(IDM_RECORD_FRAMES, std::wstring(res::loadString(IDS_RECORD_FRAMES)));
        AppendSystemMenuItem(IDM_ABOUTBOX, about);
    }
    SetAppIcon();
    setInitialTexts();
    EnableControl(IDC_UDP_DST_IP, false);
    m_log.HideCaret();
    GotoDlgCtrl(IDC_LINK_IP);
    RemoveSizingBorder();
    for (int id : kSubStreamLists) EnableControl(id, false);
    CheckDlgButton(IDC_SUB_OFF, true);
    LoadSettings();
    return false;  // the focus is set
}

void Cnolt_PCClientDlg::setInitialTexts()
{
    for (const StartText& t : kStartTexts) SetDlgItemText(t.id, t.text);
}

void Cnolt_PCClientDlg::OnSysCommand(int command)
{
    if ((command & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    if ((command & 0xFFF0) == IDM_FIND_MODULES) return OnFindModules();
    if ((command & 0xFFF0) == IDM_RECORD_FRAMES) return OnRecordFrames();
    CDialogEx::OnSysCommand(command);
}

void Cnolt_PCClientDlg::OnOK() {}

void Cnolt_PCClientDlg::OnCancel() {}

void Cnolt_PCClientDlg::appendLog(const std::wstring& line)
{
    AppendLog(line);
}

void Cnolt_PCClientDlg::clearLog()
{
    SetDlgItemText(IDC_LOG, L"");
}

void Cnolt_PCClientDlg::messageBox(const std::wstring& text, BoxIcon icon)
{
    MessageBox(text, kTipsCaption, icon == BoxIcon::Exclamation ? fw::MessageIcon::Exclamation : fw::MessageIcon::None);
}

void Cnolt_PCClientDlg::setControlText(int id, const std::wstring& text)
{
    SetDlgItemText(id, text);
}

void Cnolt_PCClientDlg::enableControl(int id, bool enabled)
{
    EnableControl(id, enabled);
}

}  // namespace nolt
