#include "view/qt/animation_dlg.h"

#include <QLineEdit>

#include "platform/numeric.h"
#include "platform/qt/ddx.h"
#include "res/qt/dialog_builder.h"
#include "res/resources.h"
#include "view/qt/axes_dlg.h"

CAnimationDlg::CAnimationDlg(vortan::AnimationDlgState& fields, vortan::IMessageSink& sink,
                             QWidget* parent)
    : QDialog(parent), m_fields(fields), m_sink(sink) {
    BuildDialog(*this, vortan::res::Dialog(IDD_ANIMATION));
    SetCommandHandler(*this, [this](int id) {
        if (id == vortan::IDOK)
            OnOK();
        else if (id == vortan::IDCANCEL)
            OnCancel();
    });
}

int CAnimationDlg::DoModal() {
    OnInitDialog();
    return exec() == QDialog::Accepted ? vortan::IDOK : vortan::IDCANCEL;
}

void CAnimationDlg::OnInitDialog() {
    DoDataExchange(false);
}

bool CAnimationDlg::DoDataExchange(bool saveAndValidate) {
    if (!DDX_TextFloat(Control<QLineEdit>(*this, IDC_SHIFT), m_fields.m_shift, saveAndValidate,
                       m_sink))
        return false;
    return DDX_TextFloat(Control<QLineEdit>(*this, IDC_DELAY), m_fields.m_delay, saveAndValidate,
                         m_sink);
}

void CAnimationDlg::OnOK() {
    // The first exchange's outcome is not looked at: a refused edit keeps its
    // field (and those after it) as they were, and the checks run on those.
    DoDataExchange(true);
    bool ok = true;
    if (!vortan::IsWholeNumber(m_fields.m_delay) || m_fields.m_delay < 0.0f) {
        m_sink.MessageBox(kDelayRuleText, kInfoCaption, vortan::MB_OK);
        ok = false;
    }
    if (!vortan::IsWholeNumber(m_fields.m_shift) || m_fields.m_shift < 1.0f) {
        m_sink.MessageBox(kShiftRuleText, kInfoCaption, vortan::MB_OK);
        ok = false;
    }
    // Closing exchanges once more; a refused edit keeps the dialog open.
    if (ok && DoDataExchange(true)) accept();
}

void CAnimationDlg::OnCancel() {
    QDialog::reject();
}

void CAnimationDlg::reject() {
    OnCancel();
}
