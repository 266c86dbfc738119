// Sub-stream handlers of the main dialog. The sub-stream controls are
// hidden, but their handlers are bound and behave in full.

#include "app/nolt_pcclient_dlg.h"
#include "commands/command_frames.h"
#include "commands/command_ui.h"
#include "commands/push_address_dialog.h"
#include "commands/stream_rules.h"
#include "res/resource.h"

namespace nolt {
namespace {

// Unlike the main stream's, this one ends in a full stop.
constexpr std::wstring_view kSelectSomething = L"Please select at least one parameter.";

constexpr std::wstring_view kSubStreamExplained =
    L"The sub code stream is used to push RTMP or RTSP video stream to the public network server. Please keep "
    L"the default shutdown state when the user does not need it.";

constexpr int kSubStreamLists[] = {res::IDC_SUB_RESOLUTION, res::IDC_SUB_BITRATE,    res::IDC_SUB_PUSH_MODE,
                                   res::IDC_SUB_ENCODER,    res::IDC_SUB_FRAME_RATE, res::IDC_SUB_PACKET};

}  // namespace

void Cnolt_PCClientDlg::OnBnClickedSubStreamSend()
{
    if (!connectedOrWarn(*this, kNotConnectedAscii)) return;
    const StreamSelection selection{m_subBitrate.GetCurSel(), m_subResolution.GetCurSel(),
                                    m_subPushMode.GetCurSel(), m_subEncoder.GetCurSel(),
                                    m_subFrameRate.GetCurSel(), m_subPacket.GetCurSel()};
    const auto frame = subStreamFrame(selection);
    if (!frame) {
        showTips(*this, kSelectSomething, BoxIcon::None);
        return;
    }
    SendCommandFrame(*frame);
}

// Only "1280*720" and "1920*1080" rebuild the bit-rate list; the other
// resolutions leave it in whichever form it has.
void Cnolt_PCClientDlg::OnCbnSelchangeSubResolution()
{
    if (const auto form = subBitRateFormFor(m_subResolution.GetCurSel())) {
        refillBitRates(m_subBitrate, *form);
        EnableControl(res::IDC_SUB_STREAM_SEND, false);
    }
    UpdateSettingButtons();
}

// Every change of the push mode asks for the push address; the settings
// button follows only when the address was sent.
void Cnolt_PCClientDlg::OnCbnSelchangeSubPushMode()
{
    if (OpenPushAddressDialog(*link_) == fw::IDOK) UpdateSettingButtons();
}

// The send button waits until each of the six lists has a selection.
void Cnolt_PCClientDlg::OnBnClickedSubOn()
{
    for (int id : kSubStreamLists) EnableControl(id, true);
    showTips(*this, kSubStreamExplained);
}

// The group returns to its start state even when the module cannot be told.
void Cnolt_PCClientDlg::OnBnClickedSubOff()
{
    for (int id : kSubStreamLists) {
        SetCurSel(id, -1);
        EnableControl(id, false);
    }
    EnableControl(res::IDC_SUB_STREAM_SEND, false);
    if (!connectedOrWarn(*this, kNotConnectedAscii)) return;
    SendCommandFrame(subStreamOffFrame());
}

}  // namespace nolt
