#include "app/qt/qt_form.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <cmath>
#include <limits>

#include "contract/design.h"

using design::Kind;

namespace {

// The smallest font the captions shrink to, as in the Windows build.
constexpr double kSmallestFontPoints = 7.0;
// Room around the status text inside Label3's coloured box.
constexpr int kStatusMargin = 3;

QStyleOptionButton buttonOption(const QAbstractButton* button, const QFont& font) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.fontMetrics = QFontMetrics(font);
    option.text = button->text();
    if (const auto* push = qobject_cast<const QPushButton*>(button); push && push->autoDefault()) {
        option.features |= QStyleOptionButton::AutoDefaultButton;
    }
    return option;
}

// Whether a label's or a button's caption, drawn in font, is whole on one line
// in the part of the control the style gives the text.
bool captionFits(const QWidget* control, const QFont& font) {
    QString text;
    QRect room;
    if (const auto* label = qobject_cast<const QLabel*>(control)) {
        text = label->text();
        const int margin = label->margin();
        room = label->contentsRect().marginsRemoved(QMargins(margin, margin, margin, margin));
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(control)) {
        text = button->text();
        const QStyleOptionButton option = buttonOption(button, font);
        const auto part = qobject_cast<const QRadioButton*>(button) ? QStyle::SE_RadioButtonContents
                                                                    : QStyle::SE_PushButtonContents;
        room = button->style()->subElementRect(part, &option, button);
    }
    if (text.isEmpty()) return true;
    const QSize need = QFontMetrics(font).size(Qt::TextSingleLine | Qt::TextShowMnemonic, text);
    return need.width() <= room.width() && need.height() <= room.height();
}

// Where the design gives an option button less height than the style's
// indicator needs (Option2's 195 twips), the button grows about its middle, so
// the indicator is drawn whole and its middle, like every other control, stays
// where the design puts it.
void makeRoomForIndicator(QRadioButton* option) {
    const QStyleOptionButton style = buttonOption(option, option->font());
    const int need =
        option->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorHeight, &style, option);
    const QRect designed = option->geometry();
    const int extra = need - designed.height();
    if (extra > 0) option->setGeometry(designed.adjusted(0, -extra / 2, 0, extra - extra / 2));
}

}  // namespace

QtForm::QtForm() {
    setWindowTitle(QString::fromUtf8(design::kCaption));
    setObjectName("Form1");
    resize(toPixels(design::kClientWidth), toPixels(design::kClientHeight));
    Q_INIT_RESOURCE(icons);  // the icons live in a static library
    QIcon icon;
    for (int size : {16, 32, 48, 64, 256}) icon.addFile(QString(":/icons/%1.png").arg(size));
    setWindowIcon(icon);
    buildControls();
    setTabOrder();
    // The desktop's font, unless a caption needs a smaller one.
    for (const auto& d : design::kControls) fitCaption(d.id);
}

void QtForm::fitCaption(Control id) {
    QWidget* control = widget(id);
    if (!control || captionFits(control, font())) return;
    // Smaller a pixel at a time, only as far as this caption needs; the
    // captions that fitted before still do.
    QFont candidate = font();
    const int smallest = static_cast<int>(std::lround(kSmallestFontPoints * logicalDpiY() / 72.0));
    int pixels = QFontInfo(candidate).pixelSize();
    while (pixels > smallest && !captionFits(control, candidate)) candidate.setPixelSize(--pixels);
    setFont(candidate);
}

int QtForm::toPixels(double twips) {
    return static_cast<int>(std::lround(twips / design::kTwipsPerPixelAt96Dpi));
}

QListWidget* QtForm::list() const {
    return static_cast<QListWidget*>(widget(Control::List1));
}

void QtForm::buildControls() {
    for (const auto& d : design::kControls) {
        QWidget* parent = d.container == Control::Form1 ? this : widget(d.container);
        const QString caption = QString::fromUtf8(d.caption);
        QWidget* w = nullptr;
        switch (d.kind) {
            case Kind::PushButton: {
                // Enter and the keypad's Enter press the focused button, as Space
                // does; outside a dialog no button is the window's default.
                auto* button = new QPushButton(caption, parent);
                button->setAutoDefault(true);
                w = button;
                break;
            }
            case Kind::ListBox: {
                auto* list = new QListWidget(parent);
                list->setSelectionMode(QAbstractItemView::SingleSelection);
                list->setSortingEnabled(false);
                list->setUniformItemSizes(true);
                w = list;
                break;
            }
            case Kind::Label: {
                auto* label = new QLabel(caption, parent);
                label->setAutoFillBackground(true);
                label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                // The status blinks in a coloured box; its text stands clear of the edges.
                if (d.id == Control::Label3) label->setMargin(kStatusMargin);
                w = label;
                break;
            }
            case Kind::Frame:
                w = new QGroupBox(caption, parent);
                break;
            case Kind::OptionButton: {
                auto* option = new QRadioButton(caption, parent);
                option->setChecked(d.value);
                w = option;
                break;
            }
            case Kind::TextBox: {
                auto* edit = new QLineEdit(caption, parent);
                edit->setMaxLength(std::numeric_limits<int>::max());  // no limit of its own
                w = edit;
                break;
            }
            case Kind::Timer:
                timer_ = new QTimer(this);
                timer_->setInterval(design::kTimerIntervalMs);
                // A check one full interval after the start, not up to 5 % early or late.
                timer_->setTimerType(Qt::PreciseTimer);
                timer_->setObjectName(d.name);
                if (d.value) timer_->start();
                continue;
        }
        w->setObjectName(d.name);
        w->setGeometry(toPixels(d.left), toPixels(d.top), toPixels(d.width), toPixels(d.height));
        if (d.kind == Kind::OptionButton) makeRoomForIndicator(static_cast<QRadioButton*>(w));
        if (!design::takesFocus(d.kind)) w->setFocusPolicy(Qt::NoFocus);
        widgets_[static_cast<std::size_t>(d.id)] = w;
    }
    // Label1 reaches a pixel into the list's top edge, and a label paints its
    // background: the list lies above it, so its top border shows.
    list()->raise();
}

void QtForm::setTabOrder() {
    QWidget* previous = nullptr;
    for (const auto& d : design::kControls) {  // the table is in tab order
        if (!design::takesFocus(d.kind)) continue;
        QWidget* current = widget(d.id);
        if (previous) QWidget::setTabOrder(previous, current);
        previous = current;
    }
}

void QtForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (onResize) onResize();
}

void QtForm::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // Minimising and restoring change the window's state without always resizing it.
    if (event->type() == QEvent::WindowStateChange && onResize) onResize();
}

void QtForm::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onClose) onClose();
}
