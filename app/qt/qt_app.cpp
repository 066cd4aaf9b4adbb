#include "app/qt/qt_app.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTimer>
#include <exception>

#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "contract/exit_status.h"
#include "ui/form1.h"

QtApp::QtApp(Form1& form, QtForm& window, QtToolkit& toolkit)
    : form_(form), window_(window), toolkit_(toolkit) {
    connectEvents();
}

void QtApp::dispatch(const std::function<void()>& handler) {
    if (toolkit_.unloaded()) return;  // events still queued after the window went
    std::string error;
    try {
        handler();
        return;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown error";
    }
    try {
        toolkit_.warn("run-time error: " + error);
        toolkit_.messageBox("Run-time error:\r\n" + error);
    } catch (...) {
        // The report itself failed; the program ends all the same.
    }
    toolkit_.unload(exit_status::kFailure);
}

void QtApp::connectEvents() {
    const auto click = [this](Control id, void (Form1::*handler)()) {
        auto* button = static_cast<QAbstractButton*>(window_.widget(id));
        QObject::connect(button, &QAbstractButton::clicked,
                         [this, handler] { dispatch([this, handler] { (form_.*handler)(); }); });
    };
    click(Control::Command1, &Form1::Command1_Click);
    click(Control::Command2, &Form1::Command2_Click);
    click(Control::Command3, &Form1::Command3_Click);
    click(Control::Command4, &Form1::Command4_Click);
    click(Control::Command5, &Form1::Command5_Click);

    QObject::connect(window_.list(), &QListWidget::itemSelectionChanged,
                     [this] { dispatch([this] { form_.List1_Click(); }); });
    QObject::connect(window_.timer(), &QTimer::timeout,
                     [this] { dispatch([this] { form_.Timer1_Timer(); }); });
    window_.onResize = [this] { dispatch([this] { form_.Form_Resize(); }); };
    window_.onClose = [this] {
        if (!toolkit_.unloaded()) toolkit_.unload(exit_status::kWaitOver);
    };
}

bool QtApp::start() {
    dispatch([this] { form_.Form_Load(); });
    if (toolkit_.unloaded()) return false;
    window_.show();
    window_.list()->setFocus();
    return true;
}
