// Turns a dialog template into Qt widgets placed in dialog units.

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QProxyStyle>
#include <QRegularExpressionValidator>

#include "framework/qt/accessibility_qt.h"
#include "framework/qt/dialog_impl.h"
#include "framework/qt/drop_down_list.h"
#include "framework/qt/ip_address_edit.h"
#include "framework/qt/log_edit.h"
#include "framework/qt/wrap_button.h"

namespace nolt::fw {
namespace {

QString qs(std::wstring_view s)
{
    return QString::fromWCharArray(s.data(), static_cast<qsizetype>(s.size()));
}

QWidget* makeStatic(const ControlTemplate& t, QWidget* parent)
{
    auto* l = new QLabel(qs(t.text), parent);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);  // static texts wrap at word breaks, as on the platform
    const Qt::Alignment h = t.kind == ControlKind::StaticCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    l->setAlignment(h | Qt::AlignTop);
    return l;
}

QWidget* makeEdit(const ControlTemplate& t, QWidget* parent)
{
    auto* e = new QLineEdit(qs(t.text), parent);
    if (t.kind == ControlKind::ReadOnlyEdit) e->setReadOnly(true);
    if (t.kind == ControlKind::DigitsEdit)
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    return e;
}

QWidget* makeCombo(const ControlTemplate& t, QWidget* parent)
{
    auto* c = new DropDownList(parent);
    for (std::wstring_view item : t.items) c->addItem(qs(item));
    c->setCurrentIndex(-1);
    c->setMaxVisibleItems(30);
    return c;
}

// Radio buttons keep the platform's small indicator and gap, so that short
// captions fit the narrow template widths.
class CompactRadioStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric m, const QStyleOption* opt, const QWidget* w) const override
    {
        if (m == PM_ExclusiveIndicatorWidth || m == PM_ExclusiveIndicatorHeight) return 13;
        if (m == PM_RadioButtonLabelSpacing) return 3;
        return QProxyStyle::pixelMetric(m, opt, w);
    }
};

QStyle* compactRadioStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new CompactRadioStyle;
        style->setParent(qApp);
    }
    return style;
}

QWidget* makeRadio(const ControlTemplate& t, QWidget* parent)
{
    auto* r = new QRadioButton(qs(t.text), parent);
    r->setStyle(compactRadioStyle());
    return r;
}

QWidget* makeList(QWidget* parent)
{
    auto* l = new QListWidget(parent);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    return l;
}

// The platform's progress bar shows no text of its own.
QWidget* makeProgress(QWidget* parent)
{
    auto* p = new QProgressBar(parent);
    p->setRange(0, 100);
    p->setValue(0);
    p->setTextVisible(false);
    return p;
}

QWidget* makeWidget(const ControlTemplate& t, QWidget* parent)
{
    switch (t.kind) {
    case ControlKind::GroupBox: return new QGroupBox(qs(t.text), parent);
    case ControlKind::StaticLeft:
    case ControlKind::StaticCenter: return makeStatic(t, parent);
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
        auto* b = new WrapButton(qs(t.text), (t.style & kMultiLine) != 0, parent);
        // Only the template's default button looks like one; Qt would
        // otherwise dress the first button of the dialog as the default.
        b->setAutoDefault(false);
        b->setDefault(t.kind == ControlKind::DefPushButton);
        return b;
    }
    case ControlKind::Edit:
    case ControlKind::DigitsEdit:
    case ControlKind::ReadOnlyEdit: return makeEdit(t, parent);
    case ControlKind::LogEdit: return new LogEdit(parent);
    case ControlKind::IpAddress: return new IpAddressEdit(parent);
    case ControlKind::DropDownList: return makeCombo(t, parent);
    case ControlKind::RadioButton: return makeRadio(t, parent);
    case ControlKind::ListBox: return makeList(parent);
    case ControlKind::Progress: return makeProgress(parent);
    }
    return new QWidget(parent);
}

bool isTabStop(ControlKind k)
{
    return k != ControlKind::GroupBox && k != ControlKind::StaticLeft && k != ControlKind::StaticCenter &&
           k != ControlKind::Progress;
}

void place(CDialogEx::Impl& d, QWidget* w, const ControlTemplate& t)
{
    QRect r = mapDialogRect(d, t.x, t.y, t.w, t.h);
    // A drop-down list's template height is the opened list; closed, it is one
    // line high.
    if (t.kind == ControlKind::DropDownList) r.setHeight(std::min(r.height(), w->sizeHint().height()));
    w->setGeometry(r);
}

// Buttons report clicks; drop-down lists and list boxes report a selection
// the user made (a selection set by the program reports nothing: the
// control calls block the list box's signals), list boxes double-clicks.
void connectNotifications(QWidget* w, int id, const std::function<void(int, Notify)>& notify)
{
    if (id == IDC_STATIC) return;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        QObject::connect(b, &QAbstractButton::clicked, b, [notify, id] { notify(id, Notify::Click); });
    } else if (auto* c = qobject_cast<QComboBox*>(w)) {
        QObject::connect(c, &QComboBox::activated, c, [notify, id] { notify(id, Notify::SelChange); });
    } else if (auto* l = qobject_cast<QListWidget*>(w)) {
        QObject::connect(l, &QListWidget::itemSelectionChanged, l, [notify, id] { notify(id, Notify::SelChange); });
        QObject::connect(l, &QListWidget::itemDoubleClicked, l, [notify, id] { notify(id, Notify::DblClick); });
    }
}

}  // namespace

QFont dialogFont(const DialogTemplate& tpl)
{
    QFont f(qs(tpl.fontFace));
    f.setPointSize(tpl.pointSize);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

void computeBaseUnits(const QFont& font, int& cx, int& cy)
{
    const QFontMetrics fm(font);
    const QString sample = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int total = fm.horizontalAdvance(sample);
    cx = (total / 26 + 1) / 2;  // average width of the 52 letters, rounded
    cy = fm.height();
}

QRect mapDialogRect(const CDialogEx::Impl& d, int x, int y, int w, int h)
{
    const int left = x * d.cx / 4;
    const int top = y * d.cy / 8;
    const int right = (x + w) * d.cx / 4;
    const int bottom = (y + h) * d.cy / 8;
    return {left, top, right - left, bottom - top};
}

void buildControls(CDialogEx::Impl& d, DialogWindow& window, const DialogTemplate& tpl,
                   const std::function<void(int, Notify)>& notify)
{
    installAccessibleInterfaces();
    QButtonGroup* group = nullptr;
    QWidget* prevTab = nullptr;
    for (const ControlTemplate& t : tpl.controls) {
        QWidget* w = makeWidget(t, &window);
        place(d, w, t);
        connectNotifications(w, t.id, notify);
        if (t.style & kGroup) group = nullptr;
        if (t.kind == ControlKind::RadioButton) {
            if (!group) group = new QButtonGroup(&window);
            group->addButton(static_cast<QAbstractButton*>(w));
        }
        if (t.kind == ControlKind::GroupBox) {
            // A group box is only a frame: it lies under the controls it
            // encloses and lets clicks through to them.
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            w->lower();
        }
        if (isTabStop(t.kind)) {
            if (prevTab) QWidget::setTabOrder(prevTab, w);
            prevTab = w;
        } else {
            w->setFocusPolicy(Qt::NoFocus);
        }
        w->setHidden((t.style & kHidden) != 0);
        w->setEnabled((t.style & kDisabled) == 0);
        d.byId[t.id] = d.controls.size();
        d.controls.push_back({t.id, t.kind, w, &t});
    }
    d.byId.erase(IDC_STATIC);
    applyAccessibleNames(d, tpl);
}

int controlIdOf(const CDialogEx::Impl& d, const QWidget* w)
{
    for (; w != nullptr; w = w->parentWidget())
        for (const Control& c : d.controls)
            if (c.widget == w) return c.id == IDC_STATIC ? 0 : c.id;
    return 0;
}

const Control* CDialogEx::Impl::find(int id) const
{
    if (!window) return nullptr;
    const auto it = byId.find(id);
    return it == byId.end() ? nullptr : &controls[it->second];
}

QWidget* CDialogEx::Impl::widget(int id) const
{
    const Control* c = find(id);
    return c ? c->widget : nullptr;
}

}  // namespace nolt::fw
