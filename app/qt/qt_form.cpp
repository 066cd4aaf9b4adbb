#include "app/qt/qt_form.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <cmath>
#include <limits>

#include "contract/design.h"

using design::Kind;

namespace {
constexpr double kDialogFontPoints = 7.0;
}  // namespace

QtForm::QtForm() {
    setWindowTitle(QString::fromUtf8(design::kCaption));
    setObjectName("Form1");
    resize(toPixels(design::kClientWidth), toPixels(design::kClientHeight));
    // The control sizes were drawn for an 8-point dialog font; the desktop's
    // usual 9 or 10 points would cut the captions off.
    QFont dialogFont = font();
    dialogFont.setPointSizeF(kDialogFontPoints);
    setFont(dialogFont);
    Q_INIT_RESOURCE(icons);  // the icons live in a static library
    QIcon icon;
    for (int size : {16, 32, 48, 64, 256}) icon.addFile(QString(":/icons/%1.png").arg(size));
    setWindowIcon(icon);
    buildControls();
    setTabOrder();
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
        if (!design::takesFocus(d.kind)) w->setFocusPolicy(Qt::NoFocus);
        widgets_[static_cast<std::size_t>(d.id)] = w;
    }
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
