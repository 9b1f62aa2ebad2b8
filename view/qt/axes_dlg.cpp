#include "view/qt/axes_dlg.h"

#include <QCheckBox>

#include "res/qt/dialog_builder.h"
#include "res/resources.h"

CAxesDlg::CAxesDlg(vortan::AxesDlgState& fields, vortan::IMessageSink& sink, QWidget* parent)
    : QDialog(parent), m_fields(fields), m_sink(sink) {
    BuildDialog(*this, vortan::res::Dialog(IDD_AXES));
    SetCommandHandler(*this, [this](int id) {
        switch (id) {
            case vortan::IDOK:
                OnOK();
                break;
            case vortan::IDCANCEL:
                OnCancel();
                break;
            case IDC_AXIS_X:
            case IDC_AXIS_Y:
            case IDC_AXIS_Z:
                OnAxisClicked(id);
                break;
            default:
                break;
        }
    });
}

int CAxesDlg::DoModal() {
    OnInitDialog();
    return exec() == QDialog::Accepted ? vortan::IDOK : vortan::IDCANCEL;
}

static void SetMark(QDialog& dialog, int id, std::int32_t flag) {
    if (auto* box = Control<QCheckBox>(dialog, id)) box->setChecked(flag != 0);
}

void CAxesDlg::OnInitDialog() {
    m_fields.m_axisX = 1;
    m_fields.m_axisY = 1;
    m_fields.m_axisZ = 0;
    SetMark(*this, IDC_AXIS_X, m_fields.m_axisX);
    SetMark(*this, IDC_AXIS_Y, m_fields.m_axisY);
    SetMark(*this, IDC_AXIS_Z, m_fields.m_axisZ);
}

void CAxesDlg::OnAxisClicked(int id) {
    std::int32_t& flag = id == IDC_AXIS_X   ? m_fields.m_axisX
                         : id == IDC_AXIS_Y ? m_fields.m_axisY
                                            : m_fields.m_axisZ;
    flag = flag == 0 ? 1 : 0;
    SetMark(*this, id, flag);
}

void CAxesDlg::OnOK() {
    const int checked = (m_fields.m_axisX != 0) + (m_fields.m_axisY != 0) + (m_fields.m_axisZ != 0);
    if (checked == 2) {
        accept();
        return;
    }
    m_sink.MessageBox(kTwoAxesText, kInfoCaption, vortan::MB_OK);
}

void CAxesDlg::OnCancel() {
    QDialog::reject();
}

void CAxesDlg::reject() {
    // Escape and the close box cancel as the Cancel button does.
    OnCancel();
}
