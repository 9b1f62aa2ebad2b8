#include "app/qt/vortan_app.h"

#include "app/qt/settings_dlg.h"
#include "platform/qt/qt_ui_service.h"
#include "res/resources.h"

CVortanApp::CVortanApp(vortan::IUiService* ui) {
    if (!ui) {
        m_ownUi = std::make_unique<QtUiService>();
        ui = m_ownUi.get();
    }
    m_ui = ui;
}

CVortanApp::~CVortanApp() = default;

std::span<const vortan::MessageMapEntry<CVortanApp>> CVortanApp::MessageMap() {
    static constexpr vortan::MessageMapEntry<CVortanApp> kMap[] = {
        {vortan::res::ID_HELP, &CVortanApp::OnHelp},
    };
    return kMap;
}

bool CVortanApp::OnCommand(int id) {
    return vortan::Dispatch(MessageMap(), *this, id);
}

void CVortanApp::OnHelp() {
    if (m_pMainWnd) m_pMainWnd->WinHelp(0, HELP_CONTENTS);
}

bool CVortanApp::InitInstance() {
    {
        CSettingsDlg dlg(*m_ui);
        m_pMainWnd = &dlg;
        if (m_ownUi) m_ownUi->setParentWidget(&dlg);
        dlg.DoModal();
        if (m_ownUi) m_ownUi->setParentWidget(nullptr);
        m_pMainWnd = nullptr;
    }  // the panel, and the animation window it owns, end here
    return false;
}
