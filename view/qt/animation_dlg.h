// The window's Settings dialog: timer delay and colour-table shift.
#pragma once

#include <QDialog>

#include "platform/message_sink.h"
#include "view/vortan_frame_state.h"

inline constexpr int IDD_ANIMATION = 139;
inline constexpr int IDC_DELAY = 1047;
inline constexpr int IDC_SHIFT = 1048;
inline constexpr const char* kDelayRuleText =
    "Time Delay must be an Integer and greater or equal than 0!";
inline constexpr const char* kShiftRuleText =
    "Colortable - Shift must be an Integer and greater than 0!";

// Works on the window's copy of the dialog fields (m_shift, m_delay), which
// keep their values between openings; the window's own values are never read.
class CAnimationDlg : public QDialog {
    Q_OBJECT
  public:
    CAnimationDlg(vortan::AnimationDlgState& fields, vortan::IMessageSink& sink,
                  QWidget* parent = nullptr);

    // Runs the dialog modally; IDOK only after both values passed their checks.
    int DoModal();

    void OnInitDialog();
    // Exchanges edit 1048 with m_shift, then edit 1047 with m_delay; stops at
    // the first edit that does not hold a number (false).
    bool DoDataExchange(bool saveAndValidate);
    void OnOK();
    void OnCancel();

    void reject() override;

  private:
    vortan::AnimationDlgState& m_fields;
    vortan::IMessageSink& m_sink;
};
