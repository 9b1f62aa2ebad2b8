#include "app/qt/settings_dlg.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>

#include "app/qt/about_dlg.h"
#include "app/qt/help_viewer.h"
#include "app/settings_file.h"
#include "app/start_validation.h"
#include "platform/qt/ddx.h"
#include "res/qt/app_icon.h"
#include "res/qt/dialog_builder.h"
#include "res/resources.h"
#include "trace/field_input.h"
#include "view/qt/vortan_frame.h"
#include "view/streamline_reader.h"

namespace {

constexpr const char* kSettingsFilter = "Dat Files (*.dat)|*.dat|All Files (*.*)|*.*||";
constexpr const char* kInputFilter = "Image Files (*.img)|*.img|All Files (*.*)|*.*||";
constexpr unsigned kErrorType = vortan::MB_OK | vortan::MB_ICONEXCLAMATION;

// System commands of the panel's system menu.
constexpr int SC_MINIMIZE = 0xF020;
constexpr int SC_CLOSE = 0xF060;

}  // namespace

CSettingsDlg::CSettingsDlg(vortan::IUiService& ui, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_hIcon(AppIcon()) {
    // A fixed-size panel: the title bar offers only what works on it, close
    // and minimise (where the window manager has it), never maximise.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    BuildDialog(*this, vortan::res::Dialog(102));
    SetCommandHandler(*this, [this](int id) { OnCommand(id); });
    // Enter starts; a focused push button still takes Enter for itself.
    if (auto* start = Control<QPushButton>(*this, IDC_START)) start->setDefault(true);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] { OnCommand(vortan::res::ID_HELP); });
}

CSettingsDlg::~CSettingsDlg() {
    // The owned animation window goes with the panel; closing it first lets
    // it stop its timer.
    if (CVortanFrame* f = AnimationWindow()) f->close();
    delete m_pAnimationWnd.data();
}

std::span<const vortan::MessageMapEntry<CSettingsDlg>> CSettingsDlg::MessageMap() {
    static constexpr vortan::MessageMapEntry<CSettingsDlg> kMap[] = {
        {vortan::IDOK, &CSettingsDlg::OnOK},
        {vortan::IDCANCEL, &CSettingsDlg::OnCancel},
        {IDC_START, &CSettingsDlg::OnStart},
        {IDC_LOAD_SETTINGS, &CSettingsDlg::OnLoadSettings},
        {IDC_SAVE_SETTINGS, &CSettingsDlg::OnSaveSettings},
        {vortan::res::ID_HELP_FINDER, &CSettingsDlg::OnHelpTopics},
        {vortan::res::ID_HELP, &CSettingsDlg::OnHelp},
        {IDC_WITH_ORIENTATION, &CSettingsDlg::OnWithOrientation},
        {IDC_WITHOUT_ORIENTATION, &CSettingsDlg::OnWithoutOrientation},
        {IDC_COLORS32, &CSettingsDlg::OnColors32},
        {IDC_COLORS64, &CSettingsDlg::OnColors64},
        {IDC_DISK_SCALE, &CSettingsDlg::OnDiskScale},
        {IDC_INTENSITY, &CSettingsDlg::OnIntensity},
    };
    return kMap;
}

bool CSettingsDlg::OnCommand(int id) {
    return vortan::Dispatch(MessageMap(), *this, id);
}

int CSettingsDlg::DoModal() {
    // A loop of our own rather than exec(): exec() would block the animation
    // window and the help window, which stay usable beside the panel.
    setResult(0);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::quit);
    if (isVisible()) loop.exec();
    return result() == QDialog::Accepted ? vortan::IDOK : vortan::IDCANCEL;
}

void CSettingsDlg::showEvent(QShowEvent* event) {
    if (!m_initialised) OnInitDialog();
    QDialog::showEvent(event);
}

void CSettingsDlg::OnInitDialog() {
    if (m_initialised) return;
    m_initialised = true;
    DoDataExchange(false);
    AddSystemMenu();
    // The window icon also stands for the minimised panel.
    setWindowIcon(m_hIcon);

    m_pAnimationWnd = nullptr;
    m_record.m_withOrientation = 1;
    m_record.m_withoutOrientation = 0;
    m_record.m_colors32 = 1;
    m_record.m_colors64 = 0;
    m_record.m_animationOn = 0;
    m_record.m_intensityDimming = 1;
    m_record.m_diskScaleDimming = 0;

    SetCheck(IDC_INTENSITY, m_record.m_intensityDimming);
    SetCheck(IDC_DISK_SCALE, m_record.m_diskScaleDimming);
    SetCheck(IDC_WITH_ORIENTATION, m_record.m_withOrientation);
    SetCheck(IDC_WITHOUT_ORIENTATION, m_record.m_withoutOrientation);
    SetCheck(IDC_COLORS32, m_record.m_colors32);
    SetCheck(IDC_COLORS64, m_record.m_colors64);
    Enable(IDC_COLORS32, false);
    Enable(IDC_COLORS64, false);
    if (auto* first = Control<QLineEdit>(*this, IDC_DISK_DIAMETER)) first->setFocus();
}

void CSettingsDlg::AddSystemMenu() {
    // The window manager's system menu cannot be extended, so the panel
    // carries its own: a context menu and a small button at the top right.
    const std::string_view about = vortan::res::String(101);
    m_systemMenu = new QMenu(this);
    m_systemMenu->addAction(tr("Mi&nimize"), this, [this] { OnSysCommand(SC_MINIMIZE); });
    m_systemMenu->addAction(tr("&Close"), this, [this] { OnSysCommand(SC_CLOSE); });
    if (!about.empty()) {
        m_systemMenu->addSeparator();
        QAction* a =
            m_systemMenu->addAction(QString::fromUtf8(about.data(), qsizetype(about.size())), this,
                                    [this] { OnSysCommand(vortan::res::ID_APP_ABOUT_SYS); });
        a->setData(vortan::res::ID_APP_ABOUT_SYS);
    }
    m_systemButton = new QToolButton(this);
    m_systemButton->setObjectName("systemMenuButton");
    m_systemButton->setText(QStringLiteral("\u2026"));
    // A framed button named after the entry it leads to.
    QString entry = QString::fromUtf8(about.data(), qsizetype(about.size()));
    entry.remove(QLatin1Char('&'));
    m_systemButton->setToolTip(entry.isEmpty() ? tr("System menu") : entry);
    m_systemButton->setAccessibleName(m_systemButton->toolTip());
    m_systemButton->setAutoRaise(false);
    m_systemButton->setFocusPolicy(Qt::NoFocus);
    m_systemButton->setPopupMode(QToolButton::InstantPopup);
    m_systemButton->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    m_systemButton->setMenu(m_systemMenu);
    const int side = fontMetrics().height() + 4;
    m_systemButton->setGeometry(width() - side - 2, 2, side, side);
    m_systemButton->show();  // created while the panel is being shown
}

void CSettingsDlg::contextMenuEvent(QContextMenuEvent* event) {
    if (m_systemMenu) m_systemMenu->popup(event->globalPos());
}

void CSettingsDlg::OnSysCommand(int id) {
    if ((id & 0xFFF0) == vortan::res::ID_APP_ABOUT_SYS) {
        CAboutDlg about(this);
        about.DoModal();
    } else if ((id & 0xFFF0) == SC_MINIMIZE) {
        showMinimized();
    } else if ((id & 0xFFF0) == SC_CLOSE) {
        reject();
    }
}

bool CSettingsDlg::DoDataExchange(bool save) {
    struct Field {
        int id;
        float vortan::SettingsRecord::*value;
    };
    static constexpr Field kFields[] = {
        {IDC_TIME_DELAY, &vortan::SettingsRecord::m_timeDelay},
        {IDC_DISK_DIAMETER, &vortan::SettingsRecord::m_diskDiameter},
        {IDC_COLORTABLE_SHIFT, &vortan::SettingsRecord::m_colortableShift},
        {IDC_COLORTABLE_COUNT, &vortan::SettingsRecord::m_colortableCount},
    };
    for (const Field& f : kFields)
        if (!DDX_TextFloat(Control<QLineEdit>(*this, f.id), m_record.*f.value, save, m_ui))
            return false;
    return true;
}

void CSettingsDlg::SetCheck(int id, bool checked) {
    if (auto* b = Control<QAbstractButton>(*this, id)) b->setChecked(checked);
}

bool CSettingsDlg::IsChecked(int id) {
    auto* b = Control<QAbstractButton>(*this, id);
    return b && b->isChecked();
}

void CSettingsDlg::Enable(int id, bool enabled) {
    if (auto* w = Control(*this, id)) w->setEnabled(enabled);
}

void CSettingsDlg::ApplyWithOrientationRule() {
    Enable(IDC_COLORS32, false);
    Enable(IDC_COLORS64, false);
    Enable(IDC_COLORTABLE_COUNT, true);
    Enable(IDC_INTENSITY, true);
    Enable(IDC_DISK_SCALE, true);
}

void CSettingsDlg::ApplyWithoutOrientationRule() {
    Enable(IDC_COLORTABLE_COUNT, false);
    Enable(IDC_INTENSITY, false);
    Enable(IDC_DISK_SCALE, false);
    Enable(IDC_COLORS32, true);
    Enable(IDC_COLORS64, true);
}

// The radio handlers run after the group has checked the clicked button and
// cleared its mates; they restore what the record says.
void CSettingsDlg::OnWithOrientation() {
    m_record.m_withOrientation = 1;
    m_record.m_withoutOrientation = 0;
    SetCheck(IDC_INTENSITY, m_record.m_intensityDimming);
    SetCheck(IDC_DISK_SCALE, m_record.m_diskScaleDimming);
    SetCheck(IDC_WITH_ORIENTATION, true);
    SetCheck(IDC_WITHOUT_ORIENTATION, false);
    SetCheck(IDC_COLORS32, m_record.m_colors32);
    SetCheck(IDC_COLORS64, m_record.m_colors64);
    ApplyWithOrientationRule();
}

void CSettingsDlg::OnWithoutOrientation() {
    m_record.m_withOrientation = 0;
    m_record.m_withoutOrientation = 1;
    SetCheck(IDC_WITH_ORIENTATION, false);
    SetCheck(IDC_WITHOUT_ORIENTATION, true);
    SetCheck(IDC_INTENSITY, m_record.m_intensityDimming);
    SetCheck(IDC_DISK_SCALE, m_record.m_diskScaleDimming);
    SetCheck(IDC_COLORS32, m_record.m_colors32);
    SetCheck(IDC_COLORS64, m_record.m_colors64);
    ApplyWithoutOrientationRule();
}

void CSettingsDlg::OnColors32() {
    m_record.m_withOrientation = 0;
    m_record.m_withoutOrientation = 1;
    m_record.m_colors32 = 1;
    m_record.m_colors64 = 0;
    SetCheck(IDC_WITH_ORIENTATION, false);
    SetCheck(IDC_WITHOUT_ORIENTATION, true);
    SetCheck(IDC_COLORS32, true);
    SetCheck(IDC_COLORS64, false);
}

void CSettingsDlg::OnColors64() {
    m_record.m_withOrientation = 0;
    m_record.m_withoutOrientation = 1;
    m_record.m_colors32 = 0;
    m_record.m_colors64 = 1;
    SetCheck(IDC_WITH_ORIENTATION, false);
    SetCheck(IDC_WITHOUT_ORIENTATION, true);
    SetCheck(IDC_COLORS32, false);
    SetCheck(IDC_COLORS64, true);
}

void CSettingsDlg::OnDiskScale() {
    m_record.m_diskScaleDimming = 1;
    m_record.m_intensityDimming = 0;
}

void CSettingsDlg::OnIntensity() {
    m_record.m_intensityDimming = 1;
    m_record.m_diskScaleDimming = 0;
}

void CSettingsDlg::OnOK() {
    if (!DoDataExchange(true)) return;  // the refused edit keeps the panel open
    done(QDialog::Accepted);
}

void CSettingsDlg::OnCancel() {
    QDialog::reject();
}

void CSettingsDlg::reject() {
    OnCancel();
}

void CSettingsDlg::OnLoadSettings() {
    vortan::FileDialogRequest request;
    request.save = false;
    request.defaultExtension = "dat";
    request.initialName = "*.dat";
    request.filter = kSettingsFilter;
    request.fileMustExist = true;
    const auto chosen = m_ui.FileDialog(request);
    if (!chosen) return;
    if (!vortan::ReadSettingsFile(chosen->path, m_record, m_ui)) return;
    m_settingsPath = chosen->path;
    ShowLoadedRecord();
}

void CSettingsDlg::ShowLoadedRecord() {
    DoDataExchange(false);
    SetCheck(IDC_ANIMATION, m_record.m_animationOn);
    SetCheck(IDC_WITH_ORIENTATION, m_record.m_withOrientation);
    SetCheck(IDC_WITHOUT_ORIENTATION, m_record.m_withoutOrientation);
    SetCheck(IDC_COLORS32, m_record.m_colors32);
    SetCheck(IDC_COLORS64, m_record.m_colors64);
    SetCheck(IDC_INTENSITY, m_record.m_intensityDimming);
    SetCheck(IDC_DISK_SCALE, m_record.m_diskScaleDimming);
    // Both flags set: the without-orientation rule comes last and wins.
    if (m_record.m_withOrientation) ApplyWithOrientationRule();
    if (m_record.m_withoutOrientation) ApplyWithoutOrientationRule();
}

void CSettingsDlg::OnSaveSettings() {
    vortan::FileDialogRequest request;
    request.save = true;
    request.defaultExtension = "dat";
    request.initialName = m_settingsPath;
    request.filter = kSettingsFilter;
    request.overwritePrompt = true;
    request.pathMustExist = true;
    const auto chosen = m_ui.FileDialog(request);
    if (!chosen) return;
    DoDataExchange(true);  // a refused edit leaves the record's value in place
    m_record.m_animationOn = IsChecked(IDC_ANIMATION) ? 1 : 0;
    // The writer replaces the file only after a complete write; the path is
    // remembered only then.
    if (vortan::WriteSettingsFile(chosen->path, m_record, m_ui)) m_settingsPath = chosen->path;
}

void CSettingsDlg::OnHelpTopics() {
    WinHelp(0, HELP_CONTENTS);
}

void CSettingsDlg::OnHelp() {
    WinHelp(0, HELP_CONTENTS);
}

void CSettingsDlg::WinHelp(unsigned long, unsigned) {
    CHelpViewer::ShowContents(HelpFilePath());
}

CVortanFrame* CSettingsDlg::AnimationWindow() const {
    CVortanFrame* f = m_pAnimationWnd.data();
    return f && f->isVisible() ? f : nullptr;
}

void CSettingsDlg::CloseAnimationWindow() {
    CVortanFrame* f = AnimationWindow();
    if (!f) return;
    f->close();
    // Closing schedules the object's deletion; finish it now so that the old
    // window is gone before anything else happens.
    if (m_pAnimationWnd && !m_pAnimationWnd->isVisible()) delete m_pAnimationWnd.data();
    m_pAnimationWnd = nullptr;
}

void CSettingsDlg::OnStart() {
    DoDataExchange(true);  // START goes on with what the record holds
    CloseAnimationWindow();
    if (!vortan::ValidateStartSettings(m_record, m_ui)) return;

    vortan::FileDialogRequest request;
    request.save = false;
    request.defaultExtension = "math";
    request.initialName = "*.math";
    request.filter = kInputFilter;
    request.fileMustExist = true;
    const auto chosen = m_ui.FileDialog(request);
    if (!chosen) return;
    // A vector-field file is traced once into the user's cache; the window
    // reads the streamline file kept there.
    const vortan::trace::StreamlineInput input =
        vortan::trace::ResolveStreamlineInput(chosen->path);
    if (!input.ok) {
        m_ui.MessageBox(input.error, "Error", kErrorType);
        return;
    }
    m_inputPath = input.path;

    vortan::StreamlineFile file;
    if (!file.Open(m_inputPath)) {
        m_ui.MessageBox(kUnableToOpenInput, "Error", kErrorType);
        return;
    }
    const vortan::StreamlineHeader header = vortan::ReadStreamlineHeader(file);
    file.Close();
    // A file without width, height and dimension, or with a size that cannot
    // be drawn, is refused before any window exists.
    if (header.numbersRead < 3) {
        std::string text = kNotStreamlineFile;
        text.replace(text.find("%s"), 2, m_inputPath);
        m_ui.MessageBox(text, "Error", kErrorType);
        return;
    }
    if (!vortan::IsDrawablePictureSize(header.imageWidth, header.imageHeight)) {
        m_ui.MessageBox(m_inputPath + ": " +
                            vortan::PictureSizeRangeText(header.imageWidth, header.imageHeight),
                        "Error", kErrorType);
        return;
    }
    m_imageWidth = header.imageWidth;
    m_imageHeight = header.imageHeight;

    m_record.m_withOrientation = IsChecked(IDC_WITH_ORIENTATION);
    m_record.m_withoutOrientation = IsChecked(IDC_WITHOUT_ORIENTATION);
    m_record.m_colors32 = IsChecked(IDC_COLORS32);
    m_record.m_colors64 = IsChecked(IDC_COLORS64);
    m_record.m_intensityDimming = IsChecked(IDC_INTENSITY);
    m_record.m_diskScaleDimming = IsChecked(IDC_DISK_SCALE);
    m_record.m_animationOn = IsChecked(IDC_ANIMATION);

    CreateAnimationWindow(header.dimension);
}

void CSettingsDlg::CreateAnimationWindow(float dimension) {
    const vortan::AnimationParameters params = vortan::MakeAnimationParameters(
        m_record, m_imageWidth, m_imageHeight, dimension, m_inputPath);
    auto* frame = new CVortanFrame(m_ui, this);
    vortan::ApplyAnimationParameters(params, *frame);
    m_pAnimationWnd = frame;
    if (!frame->Create()) {
        delete m_pAnimationWnd.data();
        m_pAnimationWnd = nullptr;
        m_ui.MessageBox(kCannotCreateWindow, "Error", kErrorType);
        return;
    }
    frame->ActivateFrame();
}
