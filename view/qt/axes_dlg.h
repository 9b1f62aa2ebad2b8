// The axis dialog: chooses two of the axes x, y and z for a 3-D input file.
#pragma once

#include <QDialog>

#include "platform/message_sink.h"
#include "view/vortan_frame_state.h"

inline constexpr int IDD_AXES = 138;
inline constexpr int IDC_AXIS_X = 1044;
inline constexpr int IDC_AXIS_Y = 1045;
inline constexpr int IDC_AXIS_Z = 1046;
inline constexpr const char* kTwoAxesText = "Two Checkboxes must be selected!";
inline constexpr const char* kInfoCaption = "Info";

// Works on the window's axis-dialog fields, which outlive the dialog's openings.
class CAxesDlg : public QDialog {
    Q_OBJECT
  public:
    CAxesDlg(vortan::AxesDlgState& fields, vortan::IMessageSink& sink, QWidget* parent = nullptr);

    // Runs the dialog modally; IDOK or IDCANCEL.
    int DoModal();

    void OnInitDialog();
    void OnOK();
    void OnCancel();
    // A click on one of the boxes: toggles its flag and sets its mark to it.
    void OnAxisClicked(int id);

    void reject() override;

  private:
    vortan::AxesDlgState& m_fields;
    vortan::IMessageSink& m_sink;
};
