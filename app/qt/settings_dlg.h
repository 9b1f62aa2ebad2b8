// The control panel: the settings dialog the application runs for its whole life.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QPointer>
#include <span>
#include <string>

#include "app/settings_record.h"
#include "platform/message_map.h"
#include "platform/ui_service.h"

class CVortanFrame;
class QLineEdit;
class QMenu;
class QToolButton;

// Help commands of the panel's WinHelp.
inline constexpr unsigned HELP_CONTENTS = 3;

// The panel's control ids.
inline constexpr int IDC_START = 1007;
inline constexpr int IDC_SAVE_SETTINGS = 1031;
inline constexpr int IDC_LOAD_SETTINGS = 1032;
inline constexpr int IDC_DISK_DIAMETER = 1015;
inline constexpr int IDC_TIME_DELAY = 1009;
inline constexpr int IDC_ANIMATION = 1022;
inline constexpr int IDC_COLORTABLE_COUNT = 1018;
inline constexpr int IDC_COLORTABLE_SHIFT = 1034;
inline constexpr int IDC_WITH_ORIENTATION = 1027;
inline constexpr int IDC_WITHOUT_ORIENTATION = 1028;
inline constexpr int IDC_COLORS32 = 1029;
inline constexpr int IDC_COLORS64 = 1030;
inline constexpr int IDC_INTENSITY = 1042;
inline constexpr int IDC_DISK_SCALE = 1043;

// Texts of START's own messages.
inline constexpr const char* kUnableToOpenInput = "Unable to open Dat";
inline constexpr const char* kNotStreamlineFile = "%s is not a streamline file";
inline constexpr const char* kCannotCreateWindow = "The animation window could not be created.";

class CSettingsDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CSettingsDlg(vortan::IUiService& ui, QWidget* parent = nullptr);
    ~CSettingsDlg() override;

    // Shows the panel and runs its own loop until it ends; returns IDOK or
    // IDCANCEL. Other windows of the program stay usable meanwhile.
    int DoModal();

    // Commands from controls, keys and menus go through the message map.
    bool OnCommand(int id);
    static std::span<const vortan::MessageMapEntry<CSettingsDlg>> MessageMap();

    // System-menu commands: the About entry (16) opens the About box.
    void OnSysCommand(int id);

    // Four float exchanges in order 1009, 1015, 1034, 1018; stops at the first
    // edit that does not hold a number and returns false.
    bool DoDataExchange(bool saveAndValidate);
    // Runs once, before the panel is first shown.
    void OnInitDialog();
    // Opens the help contents, whatever context and command it is given.
    virtual void WinHelp(unsigned long data, unsigned command = HELP_CONTENTS);
    // The icon the minimised panel shows.
    QIcon QueryDragIcon() const { return m_hIcon; }

    // Handlers.
    void OnOK();  // "Quit"
    void OnCancel();
    void OnStart();
    void OnLoadSettings();
    void OnSaveSettings();
    void OnHelpTopics();
    void OnHelp();
    void OnWithOrientation();
    void OnWithoutOrientation();
    void OnColors32();
    void OnColors64();
    void OnIntensity();
    void OnDiskScale();

    // State, for the application and tests.
    vortan::SettingsRecord& Record() { return m_record; }
    const std::string& SettingsPath() const { return m_settingsPath; }
    const std::string& InputPath() const { return m_inputPath; }
    float ImageWidth() const { return m_imageWidth; }
    float ImageHeight() const { return m_imageHeight; }
    // The current animation window while it is live; nullptr otherwise.
    CVortanFrame* AnimationWindow() const;
    // The panel's system-menu replacement (context menu and title-area button).
    QMenu* SystemMenu() const { return m_systemMenu; }

    // Escape and the close box: OnCancel.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void AddSystemMenu();
    void SetCheck(int id, bool checked);
    bool IsChecked(int id);
    void Enable(int id, bool enabled);
    void ApplyWithOrientationRule();
    void ApplyWithoutOrientationRule();
    void ShowLoadedRecord();
    void CloseAnimationWindow();
    void CreateAnimationWindow(float dimension);

    vortan::IUiService& m_ui;
    vortan::SettingsRecord m_record;
    std::string m_settingsPath;
    std::string m_inputPath;
    float m_imageWidth = 0.0f;
    float m_imageHeight = 0.0f;
    QIcon m_hIcon;
    QPointer<CVortanFrame> m_pAnimationWnd;
    QMenu* m_systemMenu = nullptr;
    QToolButton* m_systemButton = nullptr;
    bool m_initialised = false;
};
