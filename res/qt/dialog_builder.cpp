#include "res/qt/dialog_builder.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cmath>
#include <vector>

#include "res/qt/app_icon.h"

namespace {

constexpr const char* kRouterName = "vortanCommandRouter";

// Holds the dialog's command handler and the radio groups.
class CommandRouter : public QObject {
  public:
    explicit CommandRouter(QObject* parent) : QObject(parent) { setObjectName(kRouterName); }

    void Send(int id) {
        if (handler) handler(id);
    }

    // A user click on a radio button: it stays checked, its group-mates are cleared.
    void RadioClicked(QRadioButton* button, int group) {
        button->setChecked(true);
        for (QRadioButton* other : groups[group])
            if (other != button) other->setChecked(false);
    }

    std::function<void(int)> handler;
    std::vector<std::vector<QRadioButton*>> groups;
};

CommandRouter* Router(QDialog& dialog) {
    return dialog.findChild<CommandRouter*>(kRouterName, Qt::FindDirectChildrenOnly);
}

QString ToQString(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

}  // namespace

DialogBaseUnits DialogBaseUnitsOf(const QFont& font) {
    const QFontMetrics fm(font);
    // The average width of the 52 letters, rounded to a whole pixel: the
    // font's own average character width runs narrower than real text with
    // many fonts and would clip the labels.
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {std::max(1, (letters / 26 + 1) / 2), std::max(1, fm.height())};
}

QRect DialogUnitsToPixels(const QFont& font, int x, int y, int width, int height) {
    const DialogBaseUnits base = DialogBaseUnitsOf(font);
    // x * base / 4 and y * base / 8, rounded to the nearest pixel.
    auto scale = [](int v, int baseUnit, int divisor) {
        return int(std::lround(double(v) * baseUnit / divisor));
    };
    return QRect(scale(x, base.x, 4), scale(y, base.y, 8), scale(width, base.x, 4),
                 scale(height, base.y, 8));
}

void BuildDialog(QDialog& dialog, const vortan::res::DialogTemplate& t) {
    using vortan::res::ControlKind;

    QFont font(ToQString(t.fontName), t.fontPoints);
    dialog.setFont(font);
    // The font actually used (a substitute where the template's font is missing).
    font = dialog.font();

    auto* router = Router(dialog);
    if (!router) router = new CommandRouter(&dialog);

    int group = -1;
    std::vector<QWidget*> frames;
    for (const auto& c : t.controls) {
        if (group < 0 || (c.style & vortan::res::kGroup)) {
            ++group;
            router->groups.resize(group + 1);
        }
        const QString text = ToQString(c.text);
        QWidget* w = nullptr;
        QAbstractButton* button = nullptr;
        switch (c.kind) {
            case ControlKind::Edit: {
                auto* e = new QLineEdit(&dialog);
                e->setFrame(c.style & vortan::res::kBorder);
                w = e;
                break;
            }
            case ControlKind::PushButton:
            case ControlKind::DefaultPushButton: {
                auto* b = new QPushButton(text, &dialog);
                if (c.kind == ControlKind::DefaultPushButton) b->setDefault(true);
                w = button = b;
                break;
            }
            case ControlKind::AutoCheckBox:
                w = button = new QCheckBox(text, &dialog);
                break;
            case ControlKind::AutoRadioButton: {
                auto* r = new QRadioButton(text, &dialog);
                r->setAutoExclusive(false);
                router->groups[group].push_back(r);
                const int g = group;
                QObject::connect(r, &QAbstractButton::clicked, router,
                                 [router, r, g] { router->RadioClicked(r, g); });
                w = button = r;
                break;
            }
            case ControlKind::Static:
                w = new QLabel(text, &dialog);
                break;
            case ControlKind::GroupBox: {
                auto* g = new QGroupBox(text, &dialog);
                // A frame only: it must not take the clicks of the controls it surrounds.
                g->setAttribute(Qt::WA_TransparentForMouseEvents);
                g->setFocusPolicy(Qt::NoFocus);
                frames.push_back(g);
                w = g;
                break;
            }
            case ControlKind::Icon: {
                // Icons keep the system icon size, whatever the dialog units.
                auto* l = new QLabel(&dialog);
                l->setPixmap(AppIcon().pixmap(32, 32));
                l->setFixedSize(32, 32);
                l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                w = l;
                break;
            }
        }
        QRect r = DialogUnitsToPixels(font, c.x, c.y, c.width, c.height);
        if (c.kind == ControlKind::Icon) r.setSize(w->size());
        // A label wider than its box in a substitute font grows to its text
        // rather than being clipped (the templates leave room to the right).
        if (c.kind == ControlKind::Static)
            r.setWidth(std::max(r.width(), QFontMetrics(font).horizontalAdvance(text) + 1));
        w->setGeometry(r);
        if (c.style & vortan::res::kDisabled) w->setEnabled(false);
        if (c.kind == ControlKind::Static || c.kind == ControlKind::GroupBox)
            w->setFocusPolicy(Qt::NoFocus);
        else if (!(c.style & vortan::res::kTabStop) && c.kind != ControlKind::Edit)
            w->setFocusPolicy(Qt::ClickFocus);
        if (c.id != -1) {
            w->setProperty("controlId", c.id);
            w->setObjectName(QString("ctl%1").arg(c.id));
            if (button) {
                const int id = c.id;
                QObject::connect(button, &QAbstractButton::clicked, router,
                                 [router, id] { router->Send(id); });
            }
        }
    }
    for (QWidget* f : frames) f->lower();

    dialog.setWindowTitle(ToQString(t.title));
    const QRect size = DialogUnitsToPixels(font, 0, 0, t.width, t.height);
    dialog.setFixedSize(size.size());
}

void SetCommandHandler(QDialog& dialog, std::function<void(int id)> handler) {
    auto* router = Router(dialog);
    if (!router) router = new CommandRouter(&dialog);
    router->handler = std::move(handler);
}

void SendCommand(QDialog& dialog, int id) {
    if (auto* router = Router(dialog)) router->Send(id);
}
