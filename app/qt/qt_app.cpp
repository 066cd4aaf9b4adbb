#include "app/qt/qt_app.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QTimer>

#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "contract/design.h"

QtApp::QtApp(Form1& form, QtForm& window, QtToolkit& toolkit)
    : FormHost(form, toolkit), window_(window) {
    for (const auto& d : design::kControls) {
        if (d.kind != design::Kind::PushButton) continue;
        QObject::connect(static_cast<QAbstractButton*>(window_.widget(d.id)),
                         &QAbstractButton::clicked, [this, id = d.id] { click(id); });
    }
    QObject::connect(window_.list(), &QListWidget::itemSelectionChanged,
                     [this] { click(Control::List1); });
    QObject::connect(window_.timer(), &QTimer::timeout, [this] { wakeUp(); });
    window_.onResize = [this] { resize(); };
    window_.onClose = [this] { close(); };
}

bool QtApp::start() {
    if (!load()) return false;
    if (noWindow()) return true;  // main goes on as headless
    window_.show();
    window_.list()->setFocus();
    return true;
}
