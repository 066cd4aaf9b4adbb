#pragma once

#include <QWidget>
#include <array>
#include <functional>

#include "contract/control.h"

class QListWidget;
class QTimer;

// Form1 built from the design table with Qt widgets. It only builds and reports
// window events; QtToolkit reads and writes the controls.
class QtForm : public QWidget {
    Q_OBJECT

  public:
    QtForm();

    QWidget* widget(Control id) const { return widgets_[static_cast<std::size_t>(id)]; }
    QListWidget* list() const;
    QTimer* timer() const { return timer_; }

    std::function<void()> onResize;  // size or window state changed
    std::function<void()> onClose;   // the user closes the window

    static int toPixels(double twips);

    // Makes the window's font smaller, if need be, until the control's caption
    // is whole in it (down to 7 points); called for every caption at the start,
    // with the desktop's font, and whenever a caption changes. It never grows.
    void fitCaption(Control id);

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void setTabOrder();

    std::array<QWidget*, 15> widgets_{};
    QTimer* timer_ = nullptr;
};
