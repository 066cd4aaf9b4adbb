// The real Qt widgets, offscreen: the window as built from the design, and each
// event reaching its handler through the adapter.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <memory>
#include <string>

#include "app/launcher/status_pipe.h"
#include "app/qt/display.h"
#include "app/qt/qt_app.h"
#include "app/qt/qt_form.h"
#include "app/qt/qt_toolkit.h"
#include "contract/design.h"
#include "tests/fake_toolkit.h"
#include "ui/form1.h"

namespace {

// Form1 on real widgets, its message boxes collected instead of shown.
struct QtWindow {
    ScriptedProcesses processes;
    QtForm window;
    QtToolkit toolkit;
    Form1 form{toolkit, processes};
    QtApp app{form, window, toolkit};
    std::vector<std::string> messages;

    explicit QtWindow(const std::string& arguments = "", bool collectMessages = true)
        : toolkit(window, arguments, /*headless=*/collectMessages, !arguments.empty()) {
        processes.set({"init", "Calc.exe", "bash"});
        if (collectMessages) {
            toolkit.messageSink = [this](const std::string& text) { messages.push_back(text); };
        }
    }
    template <typename T>
    T* get(Control id) {
        return qobject_cast<T*>(window.widget(id));
    }
    void click(Control id) { QTest::mouseClick(get<QPushButton>(id), Qt::LeftButton); }
};

QRect designRect(Control id) {
    const auto& d = design::of(id);
    return QRect(d.left / 15, d.top / 15, d.width / 15, d.height / 15);
}

TEST(QtWindow, ControlsStandAtTheirDesignPlacesWithTheirKinds) {
    QtWindow w;
    EXPECT_EQ(w.window.windowTitle(), "Lingerjob");
    EXPECT_EQ(w.window.size(), QSize(312, 360));
    for (const auto& d : design::kControls) {
        if (d.kind == design::Kind::Timer) continue;
        QWidget* widget = w.window.widget(d.id);
        ASSERT_NE(widget, nullptr) << d.name;
        EXPECT_EQ(widget->objectName(), d.name);
        const QRect designed(QtForm::toPixels(d.left), QtForm::toPixels(d.top),
                             QtForm::toPixels(d.width), QtForm::toPixels(d.height));
        if (d.kind == design::Kind::OptionButton) {
            // Grown about its middle where the design is lower than the indicator.
            EXPECT_TRUE(widget->geometry().contains(designed)) << d.name;
            EXPECT_LE(std::abs(widget->geometry().center().y() - designed.center().y()), 1);
            QStyleOptionButton option;
            option.initFrom(widget);
            EXPECT_TRUE(widget->rect().contains(
                widget->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, widget)))
                << d.name << ": the indicator is cut";
        } else {
            EXPECT_EQ(widget->geometry(), designed) << d.name;
        }
        EXPECT_EQ(widget->focusPolicy() != Qt::NoFocus, design::takesFocus(d.kind)) << d.name;
    }
    EXPECT_EQ(w.window.geometry().size(), QSize(4680 / 15, 5400 / 15));
    EXPECT_EQ(w.get<QWidget>(Control::List1)->geometry(), designRect(Control::List1));
    EXPECT_NE(w.get<QListWidget>(Control::List1), nullptr);
    EXPECT_NE(w.get<QGroupBox>(Control::Frame1), nullptr);
    ASSERT_NE(w.get<QLineEdit>(Control::Text1), nullptr);
    EXPECT_GT(w.get<QLineEdit>(Control::Text1)->maxLength(), 1 << 20) << "no length limit";
    EXPECT_EQ(w.get<QWidget>(Control::Option1)->parentWidget(), w.get<QWidget>(Control::Frame1));
    EXPECT_EQ(w.get<QWidget>(Control::Option2)->parentWidget(), w.get<QWidget>(Control::Frame1));
    EXPECT_FALSE(w.window.windowIcon().isNull());
    EXPECT_TRUE(w.window.windowIcon().availableSizes().contains(QSize(32, 32)));
    EXPECT_EQ(w.toolkit.schedule().interval(), 3000);
    EXPECT_FALSE(w.window.timer()->isActive());
    // Label1 reaches into the list's top edge; it must not paint over the border.
    const QObjectList& stack = w.window.children();
    EXPECT_GT(stack.indexOf(w.get<QWidget>(Control::List1)),
              stack.indexOf(w.get<QWidget>(Control::Label1)));
    preferDesktopThenOffscreen();
    EXPECT_EQ(QGuiApplication::desktopFileName(), "lingerjob") << "Wayland's app_id";
}

// Whether every caption is whole in its control's width and height.
void expectCaptionsWhole(QtForm& window) {
    for (const auto& d : design::kControls) {
        QWidget* widget = window.widget(d.id);
        QString caption;
        if (auto* label = qobject_cast<QLabel*>(widget)) caption = label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) caption = button->text();
        if (caption.isEmpty()) continue;
        const QFontMetrics metrics(widget->font());
        EXPECT_LE(metrics.horizontalAdvance(caption), widget->width()) << d.name;
        EXPECT_LE(metrics.height(), widget->height()) << d.name;
    }
}

// The captions' font: the desktop's while every caption fits, else smaller only
// as far as needed, down to 7 points, also when a caption changes; the control
// sizes stay the design's.
TEST(QtWindow, TheFontIsTheDesktopsUnlessACaptionNeedsASmallerOne) {
    const QFont desktop = QApplication::font();
    const auto restore = qScopeGuard([&] { QApplication::setFont(desktop); });
    const auto pixels = [](const QFont& font) { return QFontInfo(font).pixelSize(); };
    const auto withDesktopFont = [&](const QFont& font) {
        QApplication::setFont(font);
        auto w = std::make_unique<QtWindow>();
        EXPECT_TRUE(w->app.start());
        expectCaptionsWhole(w->window);
        return w;
    };
    QFont large = desktop;
    large.setPointSizeF(14);
    EXPECT_LT(pixels(withDesktopFont(large)->window.font()), pixels(large));
    QFont small = desktop;
    small.setPointSizeF(7);
    EXPECT_EQ(withDesktopFont(small)->window.font(), small) << "every caption fits";

    // Narrow letters: only the captions' height needs a smaller font.
    QFont narrow = desktop;
    narrow.setStretch(QFont::ExtraCondensed);
    narrow.setPixelSize(12);
    const auto w = withDesktopFont(narrow);
    const long smallest = std::lround(7 * w->window.logicalDpiY() / 72.0);
    EXPECT_LT(pixels(w->window.font()), 12);
    EXPECT_GT(pixels(w->window.font()), smallest) << "smaller than the captions need";
    w->toolkit.setCaption(Control::Command1, "a caption far too long for any of the buttons");
    EXPECT_EQ(pixels(w->window.font()), smallest);
}

TEST(QtWindow, TabOrderFollowsTheDesignAndTheListHasTheFocusFirst) {
    QtWindow w;
    ASSERT_TRUE(w.app.start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    QApplication::setActiveWindow(&w.window);
    EXPECT_EQ(QApplication::focusWidget(), w.get<QWidget>(Control::List1));
    const std::vector<Control> order{Control::List1,    Control::Command1, Control::Command2,
                                     Control::Command3, Control::Command4, Control::Command5,
                                     Control::Option1,  Control::Option2,  Control::Text1};
    QWidget* at = w.get<QWidget>(Control::List1);
    for (std::size_t i = 1; i < order.size(); ++i) {
        at = at->nextInFocusChain();
        while (at->focusPolicy() == Qt::NoFocus) at = at->nextInFocusChain();
        EXPECT_EQ(at, w.get<QWidget>(order[i])) << "position " << i;
    }
}

TEST(QtWindow, InteractiveStartShowsTheRunTimeState) {
    QtWindow w;
    ASSERT_TRUE(w.app.start());
    EXPECT_EQ(w.get<QPushButton>(Control::Command1)->text(), "Update task list");
    EXPECT_EQ(w.get<QPushButton>(Control::Command2)->text(), "Usage");
    EXPECT_EQ(w.get<QPushButton>(Control::Command3)->text(), "About...");
    EXPECT_EQ(w.get<QPushButton>(Control::Command4)->text(), "Start Looking");
    EXPECT_EQ(w.get<QPushButton>(Control::Command5)->text(), "Make command line");
    EXPECT_EQ(w.get<QLabel>(Control::Label1)->text(), "Task List:");
    EXPECT_EQ(w.get<QLabel>(Control::Label2)->text(), "Wait if task name:");
    EXPECT_EQ(w.get<QLabel>(Control::Label3)->text(), "");
    EXPECT_TRUE(w.get<QRadioButton>(Control::Option1)->isChecked());
    EXPECT_FALSE(w.get<QRadioButton>(Control::Option2)->isChecked());
    EXPECT_EQ(w.get<QListWidget>(Control::List1)->count(), 3);
    EXPECT_EQ(w.get<QListWidget>(Control::List1)->item(1)->text(), "calc.exe");
    EXPECT_TRUE(w.messages.empty());
}

TEST(QtWindow, OptionButtonsAreOneGroup) {
    QtWindow w;
    auto* option1 = w.get<QRadioButton>(Control::Option1);
    auto* option2 = w.get<QRadioButton>(Control::Option2);
    w.window.show();
    QTest::mouseClick(option2, Qt::LeftButton);
    EXPECT_TRUE(option2->isChecked());
    EXPECT_FALSE(option1->isChecked());
    w.toolkit.setValue(Control::Option1, true);
    EXPECT_TRUE(option1->isChecked());
    EXPECT_FALSE(option2->isChecked());
}

TEST(QtWindow, WatchStartFromTheCommandLine) {
    QtWindow w(" /0 /  My Task  ");
    ASSERT_TRUE(w.app.start());
    EXPECT_TRUE(w.get<QRadioButton>(Control::Option2)->isChecked());
    EXPECT_EQ(w.get<QLineEdit>(Control::Text1)->text(), "My Task");
    EXPECT_TRUE(w.window.timer()->isActive());
    EXPECT_EQ(w.get<QPushButton>(Control::Command4)->text(), "Stop Looking");
    EXPECT_EQ(w.get<QListWidget>(Control::List1)->count(), 0);
}

TEST(QtWindow, RejectedArgumentsEndBeforeTheWindowIsShown) {
    QtWindow w("/only one slash");
    EXPECT_FALSE(w.app.start());
    EXPECT_FALSE(w.window.isVisible());
    EXPECT_EQ(w.toolkit.exitStatus(), 2);
    EXPECT_EQ(w.messages,
              std::vector<std::string>{"your arguments are not right\r\n/only one slash"});
}

TEST(QtWindow, EachButtonReachesItsHandler) {
    QtWindow w;
    ASSERT_TRUE(w.app.start());
    w.processes.set({"zsh"});
    w.click(Control::Command1);
    EXPECT_EQ(w.get<QListWidget>(Control::List1)->count(), 1);

    w.click(Control::Command2);
    w.click(Control::Command3);
    ASSERT_EQ(w.messages.size(), 2u);
    EXPECT_EQ(w.messages[0].rfind("Use it in batch file", 0), 0u);
    EXPECT_NE(w.messages[1].find(" version:1.0.0\r\n"), std::string::npos);

    w.click(Control::Command4);
    EXPECT_TRUE(w.window.timer()->isActive());
    EXPECT_EQ(w.get<QPushButton>(Control::Command4)->text(), "Stop Looking");
    w.click(Control::Command4);
    EXPECT_FALSE(w.window.timer()->isActive());

    w.get<QLineEdit>(Control::Text1)->setText("my task");
    w.click(Control::Command5);
    const QString line = QApplication::clipboard()->text();
    EXPECT_FALSE(line.contains('\n'));
    EXPECT_EQ(line.toStdString(), w.messages.back().substr(0, w.messages.back().find("\r\n")));
    EXPECT_EQ(line.toStdString(), QApplication::applicationDirPath().toStdString() + "/" +
                                      QApplication::applicationName().toStdString() +
                                      " /1 '/my task' ");
}

TEST(QtWindow, TheCommandLineBoxShowsPlainText) {
    QtWindow w("", /*collectMessages=*/false);  // a real modal box
    ASSERT_TRUE(w.app.start());
    w.get<QLineEdit>(Control::Text1)->setText("<b>x</b>&amp;");
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(50, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            format = box->textFormat();
            box->accept();
        }
    });
    // Inside the application's loop: an earlier test's unload ended every loop,
    // so a box's loop would return at once outside it.
    QTimer::singleShot(0, [&] {
        w.get<QPushButton>(Control::Command5)->click();
        QApplication::exit(0);
    });
    QApplication::exec();
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(shown, QApplication::clipboard()->text() + "\nCopied to clipboard.");
    EXPECT_TRUE(shown.contains(" /1 '/<b>x</b>&amp;' "));
}

TEST(QtWindow, EnterPressesTheFocusedButtonAndNothingElse) {
    QtWindow w;
    ASSERT_TRUE(w.app.start());
    const auto press = [&](Control id, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        w.get<QWidget>(id)->setFocus();
        QTest::keyClick(w.get<QWidget>(id), key, modifiers);
    };
    press(Control::Command2, Qt::Key_Return);                     // Usage
    press(Control::Command4, Qt::Key_Enter, Qt::KeypadModifier);  // Start Looking
    press(Control::Text1, Qt::Key_Return);  // Command4 had the focus just before
    press(Control::List1, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(w.messages.size(), 1u);
    EXPECT_TRUE(w.window.timer()->isActive());
    EXPECT_EQ(w.processes.calls, 1) << "only start-up's refresh";
}

TEST(QtWindow, TheCommandLineNamesTheLauncherWhenGivenByItsWholeFileName) {
    QtForm window;
    QtToolkit toolkit(window, "", true, false, "/opt/apps/Lingerjob-1.0-x86_64.AppImage");
    EXPECT_EQ(toolkit.appFolder(), "/opt/apps");
    EXPECT_EQ(toolkit.exeBaseName(), "Lingerjob-1.0-x86_64.AppImage");
}

// A refresh keeps the selected name (the same one of equal names) and the scroll
// position, and raises no click: Text1 keeps what was typed since.
TEST(QtWindow, ClickingAnEntryFillsText1AndARefreshDoesNot) {
    QtWindow w;
    std::vector<std::string> many{"init", "Calc.exe", "bash",
                                  "ab\xe2\x80\xae"
                                  "cod.exe"};
    for (int i = 0; i < 60; ++i) many.push_back(i == 40 ? "bash" : "p" + std::to_string(i));
    w.processes.set(many);
    ASSERT_TRUE(w.app.start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    auto* list = w.get<QListWidget>(Control::List1);
    // Shown with the bidi control spelled out; copied as it is.
    EXPECT_EQ(list->item(3)->text(), "ab\\u202ecod.exe");
    w.get<QLineEdit>(Control::Text1)->setText("typed");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(3)).center());
    EXPECT_EQ(w.toolkit.text(Control::Text1),
              "ab\xe2\x80\xae"
              "cod.exe");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(w.get<QLineEdit>(Control::Text1)->text(), "bash");

    w.get<QLineEdit>(Control::Text1)->setText("kept");
    list->verticalScrollBar()->setValue(20);
    many.erase(many.begin() + 1);  // Calc.exe has ended: bash moves up a row
    w.processes.set(many);
    w.click(Control::Command1);
    EXPECT_EQ(w.get<QLineEdit>(Control::Text1)->text(), "kept");
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_TRUE(list->item(1)->isSelected());
    EXPECT_EQ(list->verticalScrollBar()->value(), 20);
    w.processes.set({"init", "sh"});  // the name has gone: nothing is selected
    w.click(Control::Command1);
    EXPECT_TRUE(list->selectedItems().isEmpty());
}

TEST(QtWindow, ResizingTheWindowResizesTheListOnly) {
    QtWindow w;
    ASSERT_TRUE(w.app.start());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window));
    auto* list = w.get<QListWidget>(Control::List1);
    // The list keeps the design's 7-pixel margins inside the client area, whatever
    // frame the platform adds (offscreen adds 2 pixels, not the classic frame).
    ASSERT_NE(w.window.frameGeometry().size(), w.window.size());
    EXPECT_EQ(list->size(), QSize(193, 329));  // already at the first show
    const QRect command5 = w.get<QWidget>(Control::Command5)->geometry();
    w.window.resize(500, 600);
    QApplication::processEvents();
    EXPECT_EQ(list->geometry(), QRect(112, 24, 500 - 112 - 7, 600 - 24 - 7));
    EXPECT_EQ(w.get<QWidget>(Control::Command5)->geometry(), command5);

    w.window.resize(60, 30);  // too small for the list
    QApplication::processEvents();
    EXPECT_EQ(list->height(), 0);
    EXPECT_EQ(list->width(), 0);
    EXPECT_FALSE(w.toolkit.unloaded());
}

TEST(QtWindow, Label3BlinksInRedAndButtonFace) {
    QtWindow w(" /1 /");
    ASSERT_TRUE(w.app.start());
    auto* label = w.get<QLabel>(Control::Label3);
    const QColor face = label->palette().color(QPalette::Window);
    w.form.Timer1_Timer();
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(label->text(), "Found.");
    w.form.Timer1_Timer();
    EXPECT_EQ(label->palette().color(QPalette::Window), face);
    EXPECT_FALSE(w.toolkit.unloaded());
}

TEST(QtWindow, AnErrorInAClickIsReportedAndEndsWithTheFailureStatus) {
    QtWindow w;
    ASSERT_TRUE(w.app.start());
    w.processes.throwNext = true;
    w.click(Control::Command1);
    EXPECT_TRUE(w.toolkit.unloaded());
    EXPECT_EQ(w.toolkit.exitStatus(), 1);
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_NE(w.messages[0].find("enumeration blew up"), std::string::npos);
    w.processes.throwNext = false;
    w.click(Control::Command2);
    EXPECT_EQ(w.messages.size(), 1u) << "no handler runs after the window went";
}

TEST(QtWindow, ClosingTheWindowEndsWithStatusZero) {
    QtWindow w(" /1 /x");
    ASSERT_TRUE(w.app.start());
    w.window.close();
    EXPECT_TRUE(w.toolkit.unloaded());
    EXPECT_EQ(w.toolkit.exitStatus(), 0);
    EXPECT_FALSE(w.window.timer()->isActive());
}

TEST(QtWindow, ALostDisplayEndsWithTheFailureStatusUntoldSoTheLauncherGoesOn) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    const pid_t child = fork();
    if (child == 0) {
        setenv(status_pipe::kVariable, std::to_string(ends[1]).c_str(), 1);
        status_pipe::takeFromLauncher();
        endForLostDisplay();
    }
    close(ends[1]);
    char told = 0;
    EXPECT_EQ(read(ends[0], &told, 1), 0) << "told the launcher " << told;
    close(ends[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1);
}

TEST(QtWindow, TheEndOfTheWaitOrTheTimeOutEndsTheProgramWhileAMessageBoxIsOpen) {
    // The watch ends at its first tick; or no tick ends it, but the time-out does.
    // A check due with the deadline runs first.
    for (const auto& [arguments, expected] :
         {std::pair(" /1 /no-such-task --interval=0.1", 0),
          std::pair(" --timeout=0.1 /0 /no-such-task", 124),
          std::pair(" --timeout=0.1 --interval=0.1 /1 /no-such-task", 0)}) {
        QtWindow w(arguments, /*collectMessages=*/false);  // real modal boxes
        ASSERT_TRUE(w.app.start());
        bool boxWasOpen = false;
        QTimer::singleShot(0, [&] { w.click(Control::Command2); });  // opens the usage box
        QTimer::singleShot(50, [&] { boxWasOpen = QApplication::activeModalWidget() != nullptr; });
        QTimer::singleShot(10000, [] { QApplication::exit(99); });  // a safety net, not a timing
        const int status = QApplication::exec();
        EXPECT_TRUE(boxWasOpen);
        EXPECT_EQ(status, expected);
        EXPECT_TRUE(w.toolkit.unloaded());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
