#include "app/qt/qt_toolkit.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <climits>

#include "app/qt/qt_form.h"
#include "app/shared/app_info.h"
#include "contract/design.h"
#include "contract/exit_status.h"
#include "contract/runtime_error.h"
#include "contract/visible_text.h"

using design::Kind;

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QColor toQColor(std::uint32_t color, const QPalette& palette) {
    if (color & 0x80000000u) return palette.color(QPalette::Button);  // a system colour
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// The full path of the program "Make command line" names: the given one, or this
// executable when none is given.
std::string absoluteProgramPath(const std::string& given) {
    const QString path = given.empty() ? QCoreApplication::applicationFilePath()
                                       : QFile::decodeName(QByteArray::fromStdString(given));
    return toUtf8(QFileInfo(path).absoluteFilePath());
}

}  // namespace

QtToolkit::QtToolkit(QtForm& form, std::string commandLine, bool headless, bool argumentsGiven,
                     std::string programPath)
    : AdapterToolkit(std::move(commandLine), argumentsGiven, absoluteProgramPath(programPath)),
      form_(form),
      headless_(headless) {
    form_.timer()->setSingleShot(true);
    form_.timer()->setTimerType(Qt::PreciseTimer);
}

void QtToolkit::setCaption(Control control, const std::string& caption) {
    requireKind(control, {Kind::PushButton, Kind::Label, Kind::OptionButton});
    QWidget* w = form_.widget(control);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(fromUtf8(caption));
    } else {
        static_cast<QLabel*>(w)->setText(fromUtf8(caption));
    }
    form_.fitCaption(control);
}

void QtToolkit::paintStatusColor(std::uint32_t color) {
    QWidget* label = form_.widget(role::kStatusLabel);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, toQColor(color, form_.palette()));
    label->setPalette(palette);
}

std::string QtToolkit::text(Control control) {
    requireKind(control, {Kind::TextBox});
    return toUtf8(static_cast<QLineEdit*>(form_.widget(control))->text());
}

void QtToolkit::setText(Control control, const std::string& text) {
    requireKind(control, {Kind::TextBox});
    static_cast<QLineEdit*>(form_.widget(control))->setText(fromUtf8(text));
}

bool QtToolkit::value(Control control) {
    requireKind(control, {Kind::OptionButton});
    return static_cast<QAbstractButton*>(form_.widget(control))->isChecked();
}

void QtToolkit::setValue(Control control, bool value) {
    requireKind(control, {Kind::OptionButton});
    static_cast<QAbstractButton*>(form_.widget(control))->setChecked(value);
}

void QtToolkit::rearm() {
    QTimer* timer = form_.timer();
    const auto wake = schedule().wake();
    if (!wake) {
        timer->stop();
        return;
    }
    // Rounded up: a timer that fires early finds nothing due yet.
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*wake - schedule().now());
    timer->start(static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX)));
}

// Filling the list is not the user's selection, so it must not raise List1's click.
// A refresh keeps what the user sees (list_place.h); a list that is empty already
// (a refresh that failed) keeps the place of the one before.
void QtToolkit::listClear() {
    QListWidget* list = form_.list();
    const QSignalBlocker quiet(list);
    if (list->count() > 0) {
        place_ = listPlaceOf(list->verticalScrollBar()->value(), listSelectedIndex(),
                             [this](int row) { return listItem(row); });
    }
    list->clear();
}

void QtToolkit::listRefilled() {
    QListWidget* list = form_.list();
    const QSignalBlocker quiet(list);
    const int row = rowToSelectAgain(place_, list->count(), [this](int r) { return listItem(r); });
    if (row >= 0) list->setCurrentRow(row);
    list->doItemsLayout();  // the scroll bar's range, for the rows just added
    list->verticalScrollBar()->setValue(place_.topRow);
}

void QtToolkit::listAppend(const std::string& entry) {
    const QSignalBlocker quiet(form_.list());
    // Shown visibly; the entry itself kept for listItem, which a click copies.
    auto* item = new QListWidgetItem(fromUtf8(visibleText(entry)));
    item->setData(Qt::UserRole, QByteArray::fromStdString(entry));
    form_.list()->addItem(item);
}

int QtToolkit::listCount() {
    return form_.list()->count();
}

std::string QtToolkit::listItem(int index) {
    const QListWidgetItem* item = form_.list()->item(index);
    if (!item) throw RuntimeError("invalid list index");
    return item->data(Qt::UserRole).toByteArray().toStdString();
}

int QtToolkit::listSelectedIndex() {
    const auto selected = form_.list()->selectedItems();
    return selected.isEmpty() ? -1 : form_.list()->row(selected.first());
}

void QtToolkit::setListHeight(float twips) {
    QListWidget* list = form_.list();
    list->resize(list->width(), QtForm::toPixels(twips));
}

void QtToolkit::setListWidth(float twips) {
    QListWidget* list = form_.list();
    list->resize(QtForm::toPixels(twips), list->height());
}

float QtToolkit::clientHeight() {
    return static_cast<float>(form_.height() * design::kTwipsPerPixelAt96Dpi);
}

float QtToolkit::clientWidth() {
    return static_cast<float>(form_.width() * design::kTwipsPerPixelAt96Dpi);
}

void QtToolkit::messageBox(const std::string& text) {
    if (messageSink) {
        messageSink(text);
    } else if (headless_) {
        printLine(true, text);
    } else {
        // Parented to the window, so closing the window also ends the box.
        QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(app_info::kTitle),
                        fromUtf8(visibleMessage(text, "\n")), QMessageBox::Ok, &form_);
        box.setTextFormat(Qt::PlainText);  // a task like <b>x</b> shows as typed
        box.exec();
    }
}

void QtToolkit::clipboardClear() {
    QGuiApplication::clipboard()->clear();
}

void QtToolkit::clipboardSetText(const std::string& text) {
    QGuiApplication::clipboard()->setText(fromUtf8(text));
}

void QtToolkit::endProgram(int exitStatus) {
    form_.timer()->stop();
    form_.hide();
    // Ends every running event loop, a message box's nested one included.
    QCoreApplication::exit(exitStatus);
}
