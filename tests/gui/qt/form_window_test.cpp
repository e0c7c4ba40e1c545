// The Qt window every form is shown in: built from the layout tables (names, geometry, fonts,
// frames, tab order), the keys and focus changes it forwards to the form, its showing by the
// host, and the border a caption-less window draws itself.
#include "gui/qt/form_window.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <stdexcept>
#include <string>
#include <vector>

#include "autoconfig/forms/frm_main.h"
#include "common/forms/form_layout.h"
#include "fakes.h"
#include "gui/qt/classic_font.h"
#include "gui/qt/qt_form_host.h"
#include "print/forms/frm_controls.h"
#include "print/forms/frm_printer_choice.h"
#include "print/forms/frm_printer_font.h"
#include "recording_message_boxes.h"

using vorn::forms::ControlKind;
using vorn::forms::FormLayout;
using Choice = vorn::print::frmPrinterChoice::Control;
using Main = vorn::autoconfig::frmMain::Control;

namespace {

// A form with a real layout and no behaviour of its own: it records the events its window
// forwards, and can be told to fail in a handler.
class RecordingForm final : public vorn::forms::Form {
 public:
  explicit RecordingForm(const FormLayout& layout) : layout_(layout) {}
  const FormLayout& Layout() const override { return layout_; }
  void Form_Load() override { events.push_back("load"); }
  void Form_Unload() override { events.push_back("unload"); }
  void Click(vorn::forms::ControlId control) override {
    events.push_back(std::string("click ") + vorn::forms::GetControl(layout_, control).Name);
    if (failOnClick) throw std::runtime_error("handler failed");
  }
  void LostFocus(vorn::forms::ControlId control) override {
    events.push_back(std::string("lost ") + vorn::forms::GetControl(layout_, control).Name);
  }
  // Closes the window as a form's own button would.
  void CloseFromLogic() { View().Close(); }
  vorn::forms::FormView& Window() { return View(); }

  std::vector<std::string> events;
  bool failOnClick = false;

 private:
  const FormLayout& layout_;
};

const FormLayout* const kLayouts[] = {
    &vorn::print::frmControls::kLayout, &vorn::print::frmPrinterChoice::kLayout,
    &vorn::print::frmPrinterFont::kLayout, &vorn::autoconfig::frmMain::kLayout};

// The row whose control carries `name` as its object name.
const vorn::forms::ControlLayout& Named(const FormLayout& layout, const char* name) {
  for (const vorn::forms::ControlLayout& control : layout.Controls)
    if (std::string(control.Name) == name) return control;
  throw std::invalid_argument(name);
}

QString FocusName() {
  QWidget* focus = QApplication::focusWidget();
  if (focus == nullptr) return {};
  if (auto* combo = qobject_cast<QComboBox*>(focus->parentWidget()))
    if (combo->lineEdit() == focus) return combo->objectName();
  return focus->objectName();
}

// Gives the focus to `name` (as Tab would) and presses `key` there.
void PressKeyIn(QWidget& window, const char* name, Qt::Key key) {
  QWidget* control = window.findChild<QWidget*>(QString::fromLatin1(name));
  QVERIFY2(control != nullptr, name);
  control->setFocus(Qt::TabFocusReason);
  QTRY_COMPARE(FocusName(), QString::fromLatin1(name));
  QTest::keyClick(QApplication::focusWidget(), key);
}

}  // namespace

class FormWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void buildsEveryControlFromTheTable_data();
  void buildsEveryControlFromTheTable();
  void windowFramesFollowTheBorder_data();
  void windowFramesFollowTheBorder();
  void tabOrderAndFirstFocusFollowTheTable_data();
  void tabOrderAndFirstFocusFollowTheTable();
  void instructionsFitTheirLabels();
  void textsCrossAsAnsi();
  void aControlTheFormDoesNotHaveFails();
  void lists();
  void clicksAndPicksAreForwarded();
  void typingInAComboBoxPicksNothing_data();
  void typingInAComboBoxPicksNothing();
  void enterPressesOnlyAFocusedButtonAndEscapeNothing_data();
  void enterPressesOnlyAFocusedButtonAndEscapeNothing();
  void focusLeavingForAnotherControlIsForwarded();
  void switchingWindowsKeepsTheFocus();
  void everyCloseUnloadsOnce();
  void aFailingHandlerGoesToTheFailureHandler();
  void aFailingHandlerEndsTheHostsLoopsAndIsThrownAgain_data();
  void aFailingHandlerEndsTheHostsLoopsAndIsThrownAgain();
  void modalShowingIsOwnerlessCentredAndApplicationModal();
  void modelessShowingIsCentredAndDrawnAtOnce();
  void captionlessWindowDrawsItsThinBorder();
  void kelvarinIconComesFromItsResource();
};

void FormWindowTest::buildsEveryControlFromTheTable_data() {
  QTest::addColumn<const FormLayout*>("layout");
  for (const FormLayout* layout : kLayouts) QTest::newRow(layout->Name) << layout;
}

void FormWindowTest::buildsEveryControlFromTheTable() {
  QFETCH(const FormLayout*, layout);
  RecordingForm form(*layout);
  vorn::gui::FormWindow window(form, [] {});
  QCOMPARE(window.objectName(), QString::fromLatin1(layout->Name));
  const QPoint origin = window.ClientOrigin();
  for (const vorn::forms::ControlLayout& c : layout->Controls) {
    const QString name = QString::fromLatin1(c.Name);
    QWidget* control = window.findChild<QWidget*>(name);
    QVERIFY2(control != nullptr, c.Name);
    QCOMPARE(window.Control(c.Id), control);
    // Frames hold their controls; positions are the table's twips, rounded once.
    const vorn::forms::Rect pixels = vorn::forms::ClientPixels(*layout, c);
    QPoint parentOrigin;
    if (!c.Container.IsNone()) {
      QCOMPARE(control->parentWidget()->objectName(),
               QString::fromLatin1(vorn::forms::GetControl(*layout, c.Container).Name));
      const vorn::forms::Rect frame =
          vorn::forms::ClientPixels(*layout, *vorn::forms::FindControl(*layout, c.Container));
      parentOrigin = origin + QPoint(frame.Left, frame.Top);
    } else {
      QCOMPARE(control->parentWidget(), &window);
    }
    QCOMPARE(control->geometry().translated(parentOrigin),
             QRect(pixels.Left + origin.x(), pixels.Top + origin.y(), pixels.Width, pixels.Height));
    const QFont expected =
        c.Font.Face ? vorn::gui::ClassicFont(c.Font.Points, c.Font.Bold) : vorn::gui::ClassicFont();
    QCOMPARE(control->font().pointSizeF(), expected.pointSizeF());
    QCOMPARE(control->font().bold(), expected.bold());
    QCOMPARE(control->isEnabled(), c.Enabled);
    QCOMPARE(control->isHidden(), !c.Visible);
    switch (c.Kind) {
      case ControlKind::kLabel: {
        auto* label = qobject_cast<QLabel*>(control);
        QVERIFY2(label != nullptr, c.Name);
        // Names may hold anything; a label never reads them as markup.
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->text(), QString::fromLatin1(c.Caption));
        QCOMPARE(label->wordWrap(), c.WordWrap);
        const Qt::Alignment horizontal = label->alignment() & Qt::AlignHorizontal_Mask;
        QCOMPARE(horizontal, c.Align == vorn::forms::TextAlign::kRight    ? Qt::AlignRight
                             : c.Align == vorn::forms::TextAlign::kCentre ? Qt::AlignHCenter
                                                                          : Qt::AlignLeft);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        break;
      }
      case ControlKind::kFrame:
        QCOMPARE(qobject_cast<QGroupBox*>(control)->title(), QString::fromLatin1(c.Caption));
        QCOMPARE(control->focusPolicy(), Qt::NoFocus);
        break;
      case ControlKind::kComboBox:
        QVERIFY(qobject_cast<QComboBox*>(control)->isEditable());
        QCOMPARE(qobject_cast<QComboBox*>(control)->completer(), nullptr);
        break;
      case ControlKind::kTextBox: {
        auto* box = qobject_cast<QLineEdit*>(control);
        QCOMPARE(box->isReadOnly(), c.DisplayOnly);
        // A display-only box sits on the button face; a box the user types in does not.
        QCOMPARE(box->palette().color(QPalette::Base) == box->palette().color(QPalette::Button),
                 c.DisplayOnly);
        break;
      }
      case ControlKind::kCommandButton: {
        auto* button = qobject_cast<QPushButton*>(control);
        QCOMPARE(button->text(), QString::fromLatin1(c.Caption));
        QVERIFY2(!button->isDefault() && !button->autoDefault(), c.Name);
        break;
      }
      case ControlKind::kListBox:
        QCOMPARE(qobject_cast<QListWidget*>(control)->selectionMode(),
                 QAbstractItemView::SingleSelection);
        break;
    }
  }
  QCOMPARE(form.events, std::vector<std::string>{});  // building loads nothing
}

void FormWindowTest::windowFramesFollowTheBorder_data() {
  QTest::addColumn<const FormLayout*>("layout");
  QTest::addColumn<int>("type");
  QTest::addColumn<bool>("titleBar");
  QTest::addColumn<QSize>("size");
  QTest::newRow("frmControls") << &vorn::print::frmControls::kLayout << int(Qt::Window) << true
                               << QSize(408, 65);
  QTest::newRow("frmPrinterChoice")
      << &vorn::print::frmPrinterChoice::kLayout << int(Qt::Dialog) << true << QSize(394, 235);
  QTest::newRow("frmPrinterFont") << &vorn::print::frmPrinterFont::kLayout << int(Qt::Dialog)
                                  << true << QSize(394, 222);
  // 4815 x 2355 twips and the one-pixel border around them.
  QTest::newRow("frmMain") << &vorn::autoconfig::frmMain::kLayout << int(Qt::Window) << false
                           << QSize(323, 159);
}

void FormWindowTest::windowFramesFollowTheBorder() {
  QFETCH(const FormLayout*, layout);
  QFETCH(int, type);
  QFETCH(bool, titleBar);
  QFETCH(QSize, size);
  RecordingForm form(*layout);
  vorn::gui::FormWindow window(form, [] {});
  QCOMPARE(window.windowTitle(), QString::fromLatin1(layout->Caption));
  QCOMPARE(int(window.windowType()), type);
  const Qt::WindowFlags flags = window.windowFlags();
  QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
  QVERIFY(!flags.testFlag(Qt::FramelessWindowHint));
  QCOMPARE(flags.testFlag(Qt::WindowTitleHint), titleBar);
  for (Qt::WindowType hint :
       {Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint, Qt::WindowMinimizeButtonHint,
        Qt::WindowMaximizeButtonHint, Qt::WindowContextHelpButtonHint})
    QVERIFY(!flags.testFlag(hint));
  QCOMPARE(window.size(), size);
  QCOMPARE(window.minimumSize(), size);
  QCOMPARE(window.maximumSize(), size);
  QVERIFY(window.parentWidget() == nullptr);
}

void FormWindowTest::tabOrderAndFirstFocusFollowTheTable_data() {
  QTest::addColumn<const FormLayout*>("layout");
  QTest::addColumn<QStringList>("order");
  QTest::newRow("frmPrinterChoice")
      << &vorn::print::frmPrinterChoice::kLayout
      << QStringList{"cmbPrinter", "txtType", "txtWhere", "btnOK",
                     "btnCancel",  "txtFont", "btnFont",  "txtCopies"};
  QTest::newRow("frmPrinterFont") << &vorn::print::frmPrinterFont::kLayout
                                  << QStringList{"cmbFont", "btnOK", "btnCancel"};
  // Print Test Page is hidden until something was configured.
  QTest::newRow("frmMain") << &vorn::autoconfig::frmMain::kLayout
                           << QStringList{"lstStatus", "cmdClose"};
}

void FormWindowTest::tabOrderAndFirstFocusFollowTheTable() {
  QFETCH(const FormLayout*, layout);
  QFETCH(QStringList, order);
  RecordingForm form(*layout);
  vorn::gui::FormWindow window(form, [] {});
  // Close is enabled once the run has ended.
  if (layout == &vorn::autoconfig::frmMain::kLayout)
    window.Control(Main::cmdClose)->setEnabled(true);
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QCOMPARE(FocusName(), order.first());
  QStringList walk;
  for (qsizetype i = 0; i < order.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    walk << FocusName();
  }
  QCOMPARE(walk, order.mid(1) << order.first());
  window.close();
}

void FormWindowTest::instructionsFitTheirLabels() {
  // The real dialogs, loaded: the whole instruction text fits its label, no line cut off.
  vorn::print::testing::RecordingPrinterService printers;
  vorn::testing::RecordingMessageBoxes messages;
  vorn::print::PrintSettings settings;
  bool cancelled = false;
  bool fontCancelled = false;
  vorn::print::frmPrinterChoice choice(settings, cancelled, printers, messages, [] {});
  vorn::print::frmPrinterFont font(settings, printers, fontCancelled);
  for (vorn::forms::Form* form : std::initializer_list<vorn::forms::Form*>{&choice, &font}) {
    vorn::gui::FormWindow window(*form, [] {});
    form->Form_Load();
    auto* instructions = window.findChild<QLabel*>(QStringLiteral("lblInst"));
    QVERIFY(instructions->text().size() > 100);
    QVERIFY2(instructions->heightForWidth(instructions->width()) <= instructions->height(),
             qPrintable(QStringLiteral("%1: the text needs %2 of %3 pixels")
                            .arg(window.objectName())
                            .arg(instructions->heightForWidth(instructions->width()))
                            .arg(instructions->height())));
    form->Detach();
  }
}

void FormWindowTest::textsCrossAsAnsi() {
  RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
  vorn::gui::FormWindow window(form, [] {});
  vorn::forms::FormView& view = window;
  view.SetText(Choice::lblSelected, "Caf\xE9 <b>Printer</b>");
  QCOMPARE(window.findChild<QLabel*>("lblSelected")->text(),
           QString::fromUtf8("Caf\u00e9 <b>Printer</b>"));
  view.SetText(Choice::txtWhere, "\\\\server\\caf\xE9");
  QCOMPARE(window.findChild<QLineEdit*>("txtWhere")->text(),
           QString::fromUtf8("\\\\server\\caf\u00e9"));
  window.findChild<QLineEdit*>("txtCopies")->setText(QString::fromUtf8("\u00bd"));
  QCOMPARE(view.Text(Choice::txtCopies), std::string("\xBD"));
  view.SetCaption("Select a Printer Font");
  QCOMPARE(window.windowTitle(), QStringLiteral("Select a Printer Font"));
  view.SetText(Choice::btnFont, "More");
  QCOMPARE(view.Text(Choice::btnFont), std::string("More"));
}

void FormWindowTest::aControlTheFormDoesNotHaveFails() {
  RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
  vorn::gui::FormWindow window(form, [] {});
  vorn::forms::FormView& view = window;
  // The font dialog's combo box has the row of this form's printer combo box.
  for (const vorn::forms::ControlId other :
       {vorn::forms::ControlId(vorn::print::frmPrinterFont::Control::cmbFont),
        vorn::forms::ControlId()})
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, view.SetText(other, "x"));
  QCOMPARE(window.findChild<QComboBox*>("cmbPrinter")->currentText(), QString());
}

void FormWindowTest::lists() {
  RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
  vorn::gui::FormWindow window(form, [] {});
  vorn::forms::FormView& view = window;
  auto* combo = window.findChild<QComboBox*>("cmbPrinter");
  view.AddItem(Choice::cmbPrinter, "B");
  view.InsertItem(Choice::cmbPrinter, 0, "A");
  view.AddItem(Choice::cmbPrinter, "Caf\xE9");
  QCOMPARE(view.ItemCount(Choice::cmbPrinter), 3);
  QCOMPARE(view.ItemText(Choice::cmbPrinter, 2), std::string("Caf\xE9"));
  view.SetListIndex(Choice::cmbPrinter, 1);
  QCOMPARE(combo->currentIndex(), 1);
  QCOMPARE(view.Text(Choice::cmbPrinter), std::string("B"));
  // None current: the text field keeps what it shows.
  view.SetText(Choice::cmbPrinter, "typed");
  view.SetListIndex(Choice::cmbPrinter, -1);
  QCOMPARE(combo->currentIndex(), -1);
  QCOMPARE(view.Text(Choice::cmbPrinter), std::string("typed"));
  QCOMPARE(form.events, std::vector<std::string>{});  // nothing of this is a click

  RecordingForm status(vorn::autoconfig::frmMain::kLayout);
  vorn::gui::FormWindow statusWindow(status, [] {});
  vorn::forms::FormView& statusView = statusWindow;
  for (int i = 0; i < 20; ++i) statusView.AddItem(Main::lstStatus, "step " + std::to_string(i));
  statusView.SetListIndex(Main::lstStatus, 19);
  auto* list = statusWindow.findChild<QListWidget*>("lstStatus");
  QCOMPARE(list->currentRow(), 19);
  QVERIFY(list->item(19)->isSelected());
  QCOMPARE(list->selectedItems().size(), 1);
  QCOMPARE(status.events, std::vector<std::string>{});

  // The busy pointer is the application's.
  statusView.SetBusyPointer(true);
  QVERIFY(QGuiApplication::overrideCursor() != nullptr);
  QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
  statusView.SetBusyPointer(false);
  QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
}

void FormWindowTest::clicksAndPicksAreForwarded() {
  RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
  vorn::gui::FormWindow window(form, [] {});
  static_cast<vorn::forms::FormView&>(window).AddItem(Choice::cmbPrinter, "Office Laser");
  static_cast<vorn::forms::FormView&>(window).AddItem(Choice::cmbPrinter, "Front Desk");
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  auto* combo = window.findChild<QComboBox*>("cmbPrinter");
  combo->setFocus();
  QTest::keyClick(combo, Qt::Key_Down);  // picks the next entry from the list
  QTest::mouseClick(window.findChild<QPushButton*>("btnOK"), Qt::LeftButton);
  QCOMPARE(form.events,
           (std::vector<std::string>{"click cmbPrinter", "lost cmbPrinter", "click btnOK"}));
  window.close();
}

void FormWindowTest::typingInAComboBoxPicksNothing_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<int>("leaveBy");
  QTest::newRow("unknown name, Tab") << "Not Installed" << int(Qt::Key_Tab);
  QTest::newRow("listed name, Tab") << "Front Desk" << int(Qt::Key_Tab);
  QTest::newRow("listed name, Enter") << "Front Desk" << int(Qt::Key_Return);
}

void FormWindowTest::typingInAComboBoxPicksNothing() {
  QFETCH(QString, typed);
  QFETCH(int, leaveBy);
  RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
  vorn::gui::FormWindow window(form, [] {});
  static_cast<vorn::forms::FormView&>(window).AddItem(Choice::cmbPrinter, "Office Laser");
  static_cast<vorn::forms::FormView&>(window).AddItem(Choice::cmbPrinter, "Front Desk");
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  auto* combo = window.findChild<QComboBox*>("cmbPrinter");
  combo->setFocus();
  combo->lineEdit()->selectAll();
  QTest::keyClicks(combo->lineEdit(), typed);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key(leaveBy));
  QCOMPARE(combo->currentText(), typed);
  QCOMPARE(combo->count(), 2);
  for (const std::string& event : form.events) QVERIFY2(event != "click cmbPrinter", event.c_str());
  QVERIFY(window.isVisible());
  window.close();
}

void FormWindowTest::enterPressesOnlyAFocusedButtonAndEscapeNothing_data() {
  QTest::addColumn<const FormLayout*>("layout");
  QTest::addColumn<QString>("focus");
  QTest::addColumn<int>("key");
  QTest::addColumn<bool>("presses");
  const std::pair<const FormLayout*, std::vector<const char*>> forms[] = {
      {&vorn::print::frmPrinterChoice::kLayout,
       {"cmbPrinter", "txtCopies", "btnOK", "btnCancel", "btnFont"}},
      {&vorn::print::frmPrinterFont::kLayout, {"cmbFont", "btnOK", "btnCancel"}},
      {&vorn::autoconfig::frmMain::kLayout, {"cmdClose"}}};
  for (const auto& [layout, controls] : forms)
    for (const char* control : controls) {
      const bool button = Named(*layout, control).Kind == ControlKind::kCommandButton;
      for (auto [keyName, key] :
           {std::pair{"Return", Qt::Key_Return}, std::pair{"Enter", Qt::Key_Enter},
            std::pair{"Escape", Qt::Key_Escape}})
        QTest::addRow("%s %s %s", layout->Name, control, keyName)
            << layout << QString::fromLatin1(control) << int(key)
            << (button && key != Qt::Key_Escape);
    }
}

void FormWindowTest::enterPressesOnlyAFocusedButtonAndEscapeNothing() {
  QFETCH(const FormLayout*, layout);
  QFETCH(QString, focus);
  QFETCH(int, key);
  QFETCH(bool, presses);
  RecordingForm form(*layout);
  vorn::gui::FormWindow window(form, [] {});
  window.findChild<QWidget*>(focus)->setEnabled(true);  // Close, once the run has ended
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  PressKeyIn(window, focus.toLatin1().constData(), Qt::Key(key));
  QTest::qWait(20);
  std::vector<std::string> clicks;
  for (const std::string& event : form.events) {
    QVERIFY2(event != "unload", "the window closed");
    if (event.rfind("click", 0) == 0) clicks.push_back(event);
  }
  QCOMPARE(clicks, presses ? std::vector<std::string>{"click " + focus.toStdString()}
                           : std::vector<std::string>{});
  window.close();
}

void FormWindowTest::focusLeavingForAnotherControlIsForwarded() {
  RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
  vorn::gui::FormWindow window(form, [] {});
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  auto* copies = window.findChild<QLineEdit*>("txtCopies");
  copies->setFocus(Qt::MouseFocusReason);
  QTRY_COMPARE(FocusName(), QStringLiteral("txtCopies"));
  form.events.clear();
  QTest::keyClick(copies, Qt::Key_Tab);
  QCOMPARE(form.events, std::vector<std::string>{"lost txtCopies"});
  // A click on a button takes the focus from the box before the button is pressed.
  copies->setFocus(Qt::MouseFocusReason);
  form.events.clear();
  QTest::mouseClick(window.findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
  QCOMPARE(form.events, (std::vector<std::string>{"lost txtCopies", "click btnCancel"}));
  window.close();
}

void FormWindowTest::switchingWindowsKeepsTheFocus() {
  RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
  vorn::gui::FormWindow window(form, [] {});
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  window.findChild<QLineEdit*>("txtCopies")->setFocus(Qt::MouseFocusReason);
  QTRY_COMPARE(FocusName(), QStringLiteral("txtCopies"));
  form.events.clear();
  QApplication::setActiveWindow(nullptr);  // another program's window comes to the front
  QVERIFY(QTest::qWaitFor([&window] { return !window.isActiveWindow(); }, 2000));
  QApplication::setActiveWindow(&window);
  QVERIFY(QTest::qWaitFor([] { return FocusName() == QStringLiteral("txtCopies"); }, 2000));
  QCOMPARE(form.events, std::vector<std::string>{});
  window.close();
}

void FormWindowTest::everyCloseUnloadsOnce() {
  {
    RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
    vorn::gui::FormWindow window(form, [] {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.findChild<QLineEdit*>("txtCopies")->setFocus();
    form.events.clear();
    form.CloseFromLogic();
    QVERIFY(!window.isVisible());
    QCOMPARE(form.events, std::vector<std::string>{"unload"});  // leaving no focus behind
  }
  {
    RecordingForm form(vorn::print::frmPrinterFont::kLayout);
    vorn::gui::FormWindow window(form, [] {});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCloseEvent close;  // the window system's close command, as Alt+F4 sends it
    QApplication::sendEvent(&window, &close);
    QVERIFY(close.isAccepted());
    window.close();
    QCOMPARE(form.events, std::vector<std::string>{"unload"});
  }
}

void FormWindowTest::aFailingHandlerGoesToTheFailureHandler() {
  RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
  form.failOnClick = true;
  std::vector<std::string> failures;
  vorn::gui::FormWindow window(form, [&failures] {
    try {
      throw;
    } catch (const std::exception& error) {
      failures.push_back(error.what());
    }
  });
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  QTest::mouseClick(window.findChild<QPushButton*>("btnOK"), Qt::LeftButton);
  QCOMPARE(failures, std::vector<std::string>{"handler failed"});
  window.close();
}

void FormWindowTest::aFailingHandlerEndsTheHostsLoopsAndIsThrownAgain_data() {
  QTest::addColumn<bool>("modal");
  QTest::newRow("modal showing") << true;
  QTest::newRow("modeless window, run loop") << false;
}

void FormWindowTest::aFailingHandlerEndsTheHostsLoopsAndIsThrownAgain() {
  QFETCH(bool, modal);
  RecordingForm form(vorn::print::frmPrinterFont::kLayout);
  form.failOnClick = true;
  vorn::gui::QtFormHost host;
  QTimer::singleShot(0, [&] {
    vorn::gui::FormWindow* window = host.WindowOf(form);
    QVERIFY(window != nullptr);
    QTest::mouseClick(window->findChild<QPushButton*>("btnOK"), Qt::LeftButton);
  });
  QTimer guard;  // never hangs: whatever is still open is closed
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&host, &form] {
    if (vorn::gui::FormWindow* window = host.WindowOf(form)) window->close();
  });
  guard.start(5000);
  std::string failure;
  try {
    if (modal) {
      host.ShowModal(form);
    } else {
      host.ShowModeless(form);
      host.RunUntilNoWindow();
    }
  } catch (const std::runtime_error& error) {
    failure = error.what();
  }
  QCOMPARE(failure, std::string("handler failed"));
  // Nothing after the failure runs: the form is not unloaded on the way out.
  QCOMPARE(form.events, (std::vector<std::string>{"load", "click btnOK"}));
  QVERIFY(guard.isActive());
}

void FormWindowTest::modalShowingIsOwnerlessCentredAndApplicationModal() {
  RecordingForm form(vorn::print::frmPrinterChoice::kLayout);
  vorn::gui::QtFormHost host;
  bool checked = false;
  QTimer::singleShot(0, [&] {
    auto* window = qobject_cast<vorn::gui::FormWindow*>(QApplication::activeModalWidget());
    QVERIFY(window != nullptr);
    QCOMPARE(window->objectName(), QStringLiteral("frmPrinterChoice"));
    QVERIFY(window->parentWidget() == nullptr);
    QCOMPARE(window->windowModality(), Qt::ApplicationModal);
    QCOMPARE(host.WindowOf(form), window);
    const QPoint off = window->frameGeometry().center() - window->screen()->geometry().center();
    QVERIFY2(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1,
             qPrintable(QStringLiteral("off centre by %1,%2").arg(off.x()).arg(off.y())));
    checked = true;
    form.CloseFromLogic();
  });
  QTimer guard;  // never hangs: whatever is still open is closed
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] {
    if (QWidget* open = QApplication::activeModalWidget()) open->close();
  });
  guard.start(5000);
  host.ShowModal(form);
  QVERIFY(checked);
  QCOMPARE(form.events, (std::vector<std::string>{"load", "unload"}));
  QVERIFY(!form.Attached());
  QCOMPARE(host.WindowOf(form), nullptr);
}

void FormWindowTest::modelessShowingIsCentredAndDrawnAtOnce() {
  RecordingForm form(vorn::print::frmControls::kLayout);
  vorn::gui::QtFormHost host;
  host.ShowModeless(form);
  vorn::gui::FormWindow* window = host.WindowOf(form);
  QVERIFY(window != nullptr);
  QVERIFY(window->isVisible());
  QVERIFY(!window->isModal());
  QCOMPARE(form.events, std::vector<std::string>{"load"});
  const QPoint off = window->frameGeometry().center() - window->screen()->geometry().center();
  QVERIFY(qAbs(off.x()) <= 1 && qAbs(off.y()) <= 1);
  form.CloseFromLogic();
  QVERIFY(!window->isVisible());
  QVERIFY(form.Attached());  // the window stays with the host; the form may still ask it
  form.Window().Repaint();
}

void FormWindowTest::captionlessWindowDrawsItsThinBorder() {
  RecordingForm form(vorn::autoconfig::frmMain::kLayout);
  vorn::gui::FormWindow window(form, [] {});
  QCOMPARE(window.windowTitle(), QString());
  QCOMPARE(window.ClientOrigin(), QPoint(1, 1));
  const QImage image = window.grab().toImage();
  const QColor line = window.palette().color(QPalette::WindowText);
  const QColor face = window.palette().color(QPalette::Window);
  QVERIFY(line != face);
  const int right = image.width() - 1;
  const int bottom = image.height() - 1;
  for (const QPoint edge : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom),
                            QPoint(right, bottom), QPoint(right / 2, 0), QPoint(0, bottom / 2),
                            QPoint(right, bottom / 2), QPoint(right / 2, bottom)})
    QCOMPARE(image.pixelColor(edge), line);
  // Inside the border the window's face begins.
  QCOMPARE(image.pixelColor(1, bottom / 2), face);
  // A window with a title bar draws nothing of the kind: the window system frames it.
  RecordingForm dialog(vorn::print::frmControls::kLayout);
  vorn::gui::FormWindow framed(dialog, [] {});
  QCOMPARE(framed.ClientOrigin(), QPoint(0, 0));
  QCOMPARE(framed.grab().toImage().pixelColor(0, 0), framed.palette().color(QPalette::Window));
}

void FormWindowTest::kelvarinIconComesFromItsResource() {
  Q_INIT_RESOURCE(kelvarin);
  const QIcon icon(QStringLiteral(":/kelvarin/kelvarin.ico"));
  QVERIFY(!icon.isNull());
  for (int size : {16, 32, 48}) QVERIFY(icon.availableSizes().contains(QSize(size, size)));
}

QTEST_MAIN(FormWindowTest)
#include "form_window_test.moc"
