// Main-stream handlers of the main dialog: the send button, the rules that
// keep the seven lists consistent, and the "Reminder" box.

#include "app/nolt_pcclient_dlg.h"
#include "commands/command_frames.h"
#include "commands/command_ui.h"
#include "commands/push_address_dialog.h"
#include "commands/stream_rules.h"
#include "res/resource.h"

namespace nolt {
namespace {

constexpr std::wstring_view kSelectSomething = L"Please select at least one parameter";

constexpr std::wstring_view kPacketFormatReminder =
    L"The By_Slice format supports 30 frames and 25 frames, which is similar to the IPC code output mode on "
    L"the market. It has better compatibility with the player, but the IDR frame is large, the code rate "
    L"fluctuates greatly, and it requires high image transmission bandwidth. The By_Slice frame format "
    L"supports 25 frames and 30 frames, but some players do not support 30 frames. When selecting by frame "
    L"format, the IDR frame is not large, and the stability of the code stream is better. If the image "
    L"transmission bandwidth is limited, it is recommended to select by frame format.";

// "30 frame" with "RTSP" and "By Frame" may not play; the box only warns.
void warnIfUnplayable(Cnolt_PCClientDlg& dlg)
{
    using namespace res;
    if (mainStreamNeedsWarning(dlg.GetCurSel(IDC_MAIN_FRAME_RATE), dlg.GetCurSel(IDC_MAIN_PUSH_MODE),
                               dlg.GetCurSel(IDC_MAIN_PACKET)))
        showTips(dlg, kUnplayableWarning);
}

}  // namespace

void Cnolt_PCClientDlg::OnBnClickedMainStreamSend()
{
    if (!connectedOrWarn(*this, kNotConnectedFullwidth)) return;
    const MainStreamSelection selection{
        {m_mainBitrate.GetCurSel(), m_mainResolution.GetCurSel(), m_mainPushMode.GetCurSel(),
         m_mainEncoder.GetCurSel(), m_mainFrameRate.GetCurSel(), m_mainPacket.GetCurSel()},
        m_mainRecord.GetCurSel()};
    const auto frame = mainStreamFrame(selection);
    if (!frame) {
        showTips(*this, kSelectSomething, BoxIcon::None);
        return;
    }
    SendCommandFrame(*frame);
}

// A new resolution rebuilds the bit-rate list, even when its form stays the
// same, so a bit rate has to be chosen again before the settings can go.
void Cnolt_PCClientDlg::OnCbnSelchangeResolution()
{
    if (const auto form = mainBitRateFormFor(m_mainResolution.GetCurSel())) {
        refillBitRates(m_mainBitrate, *form);
        EnableControl(res::IDC_MAIN_STREAM_SEND, false);
    }
    UpdateSettingButtons();
}

void Cnolt_PCClientDlg::OnCbnSelchangePushMode()
{
    const int mode = m_mainPushMode.GetCurSel();
    const bool udp = isUdpBareFlow(mode);
    EnableControl(res::IDC_UDP_DST_IP, udp);
    EnableControl(res::IDC_UDP_PORT, udp);
    warnIfUnplayable(*this);
    UpdateSettingButtons();
    if (isRtmpPush(mode)) OpenPushAddressDialog(*link_);
}

void Cnolt_PCClientDlg::OnCbnSelchangeWarningLists()
{
    warnIfUnplayable(*this);
    UpdateSettingButtons();
}

void Cnolt_PCClientDlg::OnCbnSelchangeSettingLists()
{
    UpdateSettingButtons();
}

void Cnolt_PCClientDlg::OnBnClickedReminder()
{
    showTips(*this, kPacketFormatReminder);
}

// Only ever enables: the resolution rules and the sub stream "OFF" disable.
void Cnolt_PCClientDlg::UpdateSettingButtons()
{
    const int mainLists[] = {m_mainBitrate.GetCurSel(), m_mainResolution.GetCurSel(), m_mainPushMode.GetCurSel(),
                             m_mainEncoder.GetCurSel(), m_mainFrameRate.GetCurSel(),    m_mainPacket.GetCurSel(),
                             m_mainRecord.GetCurSel()};
    if (allListsSelected(mainLists)) EnableControl(res::IDC_MAIN_STREAM_SEND, true);
    const int subLists[] = {m_subBitrate.GetCurSel(), m_subResolution.GetCurSel(), m_subPushMode.GetCurSel(),
                            m_subEncoder.GetCurSel(), m_subFrameRate.GetCurSel(),  m_subPacket.GetCurSel()};
    if (allListsSelected(subLists)) EnableControl(res::IDC_SUB_STREAM_SEND, true);
}

}  // namespace nolt
