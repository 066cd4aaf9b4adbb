#include "app/qt/qt_app.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTimer>

#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "app/shared/report_escaped_error.h"
#include "contract/exit_status.h"
#include "ui/form1.h"

QtApp::QtApp(Form1& form, QtForm& window, QtToolkit& toolkit)
    : form_(form), window_(window), toolkit_(toolkit) {
    connectEvents();
}

void QtApp::dispatch(const std::function<void()>& handler) {
    if (toolkit_.unloaded()) return;  // events still queued after the window went
    runReportingErrors(toolkit_, handler);
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
