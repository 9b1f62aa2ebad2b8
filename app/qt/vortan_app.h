// The application object: runs the control panel and ends with it.
#pragma once

#include <memory>
#include <span>

#include "platform/message_map.h"
#include "platform/ui_service.h"

class CSettingsDlg;
class QtUiService;

class CVortanApp {
  public:
    // ui: the message boxes and file dialogs to use; nullptr uses Qt's.
    explicit CVortanApp(vortan::IUiService* ui = nullptr);
    ~CVortanApp();
    CVortanApp(const CVortanApp&) = delete;
    CVortanApp& operator=(const CVortanApp&) = delete;

    // Runs the panel modally, then destroys it (and the window it owns).
    // Returns false: the program ends without a loop of its own.
    bool InitInstance();

    // The panel while it runs (the main window); nullptr otherwise.
    CSettingsDlg* MainWnd() const { return m_pMainWnd; }

    bool OnCommand(int id);
    static std::span<const vortan::MessageMapEntry<CVortanApp>> MessageMap();
    // Help requests reach the main window's WinHelp.
    void OnHelp();

  private:
    std::unique_ptr<QtUiService> m_ownUi;
    vortan::IUiService* m_ui;
    CSettingsDlg* m_pMainWnd = nullptr;
};
