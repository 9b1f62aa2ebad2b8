#include "platform/qt/ddx.h"

#include "platform/dialog_data.h"

bool DDX_TextFloat(QLineEdit* edit, float& value, bool saveAndValidate,
                   vortan::IMessageSink& sink) {
    if (!edit) return false;
    if (!saveAndValidate) {
        edit->setText(QString::fromStdString(vortan::FormatDialogFloat(value)));
        return true;
    }
    const std::optional<float> parsed = vortan::ParseDialogFloat(edit->text().toStdString());
    if (!parsed) {
        sink.MessageBox(vortan::kEnterNumberPrompt, "", vortan::MB_OK | vortan::MB_ICONEXCLAMATION);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        return false;
    }
    value = *parsed;
    return true;
}
