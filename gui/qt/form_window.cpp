#include "gui/qt/form_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPalette>

#include "common/forms/form_layout.h"
#include "gui/qt/ansi_qstring.h"
#include "gui/qt/classic_font.h"
#include "gui/qt/command_button.h"

namespace vorn::gui {

using forms::ControlKind;
using forms::ControlLayout;
using forms::FormBorder;
using forms::FormLayout;

namespace {

// The thin single-line border a caption-less window draws itself: window systems give a
// window without a title bar no frame at all.
constexpr int kBorderWidth = 1;

Qt::WindowFlags FlagsFor(FormBorder border) {
  // No system menu, no close, minimise or maximise button, and no resizing, whatever the border.
  switch (border) {
    case FormBorder::kFixedDialog:
      return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
             Qt::MSWindowsFixedSizeDialogHint;
    case FormBorder::kFixedSingle:
      return Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
             Qt::MSWindowsFixedSizeDialogHint;
    case FormBorder::kFixedSingleNoTitleBar:
      return Qt::Window | Qt::CustomizeWindowHint;
  }
  return Qt::Dialog;
}

Qt::Alignment AlignmentFor(forms::TextAlign align) {
  switch (align) {
    case forms::TextAlign::kRight:
      return Qt::AlignRight;
    case forms::TextAlign::kCentre:
      return Qt::AlignHCenter;
    case forms::TextAlign::kLeft:
      break;
  }
  return Qt::AlignLeft;
}

// A text box the form writes and never reads back: read-only, on the button-face colour.
void MakeDisplayOnly(QLineEdit& box) {
  box.setReadOnly(true);
  QPalette palette = box.palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
    palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Button));
  box.setPalette(palette);
}

// A drop-down combo box with an editable text field. Only a pick from the list (with the mouse
// or the arrow keys) raises `activated`; typing never picks, completes or adds an entry, not
// even when the typed text equals an entry.
void MakeDropDownCombo(QComboBox& combo) {
  combo.setEditable(true);
  combo.setInsertPolicy(QComboBox::NoInsert);
  combo.setCompleter(nullptr);
  // QComboBox treats leaving or confirming a typed text that equals an entry as picking that
  // entry; here typing is only typing.
  QObject::disconnect(combo.lineEdit(), &QLineEdit::editingFinished, &combo, nullptr);
}

}  // namespace

FormWindow::FormWindow(forms::Form& form, FailureHandler onFailure)
    : QDialog(nullptr, FlagsFor(form.Layout().Border)),
      form_(form),
      onFailure_(std::move(onFailure)) {
  const FormLayout& layout = form.Layout();
  setObjectName(QString::fromLatin1(layout.Name));
  setWindowTitle(FromAnsi(layout.Caption));
  setFont(ClassicFont());
  setSizeGripEnabled(false);
  drawsBorder_ = layout.Border == FormBorder::kFixedSingleNoTitleBar;
  const int border = drawsBorder_ ? kBorderWidth : 0;
  clientOrigin_ = QPoint(border, border);
  setFixedSize(forms::TwipsToPixels(layout.ClientWidth) + 2 * border,
               forms::TwipsToPixels(layout.ClientHeight) + 2 * border);
  Build();
  form_.Attach(*this);
}

FormWindow::~FormWindow() {
  for (QWidget* control : controls_)
    if (control != nullptr) control->removeEventFilter(this);
}

void FormWindow::Build() {
  const FormLayout& layout = form_.Layout();
  controls_.assign(layout.Controls.size(), nullptr);
  // Frames first, so that the controls inside them have their parent.
  for (const bool frames : {true, false}) {
    for (const ControlLayout& control : layout.Controls) {
      if ((control.Kind == ControlKind::kFrame) != frames) continue;
      QWidget* parent = this;
      QPoint offset = clientOrigin_;
      if (!control.Container.IsNone()) {
        if (const ControlLayout* frame = forms::FindControl(layout, control.Container)) {
          parent = Control(frame->Id);
          const forms::Rect outer = forms::ClientPixels(layout, *frame);
          offset = QPoint(-outer.Left, -outer.Top);
        }
      }
      QWidget* widget = Make(control, parent);
      const forms::Rect rect = forms::ClientPixels(layout, control);
      widget->setObjectName(QString::fromLatin1(control.Name));
      widget->setGeometry(rect.Left + offset.x(), rect.Top + offset.y(), rect.Width, rect.Height);
      if (control.Font.Face != nullptr)
        widget->setFont(ClassicFont(control.Font.Points, control.Font.Bold));
      widget->setEnabled(control.Enabled);
      if (!control.Visible) widget->setVisible(false);
      controls_[static_cast<std::size_t>(control.Id.Row())] = widget;
    }
  }

  const std::vector<const ControlLayout*> order = forms::FocusOrder(layout);
  for (std::size_t i = 1; i < order.size(); ++i)
    setTabOrder(Control(order[i - 1]->Id), Control(order[i]->Id));
  for (const ControlLayout* control : order) Control(control->Id)->installEventFilter(this);
  if (!layout.FirstFocus.IsNone()) Control(layout.FirstFocus)->setFocus();
}

QWidget* FormWindow::Make(const ControlLayout& control, QWidget* parent) {
  const QString caption = FromAnsi(control.Caption);
  const forms::ControlId id = control.Id;
  switch (control.Kind) {
    case ControlKind::kLabel: {
      auto* label = new QLabel(caption, parent);
      label->setTextFormat(Qt::PlainText);  // names may hold anything; never read as markup
      label->setAlignment(AlignmentFor(control.Align) | Qt::AlignTop);
      label->setWordWrap(control.WordWrap);
      return label;
    }
    case ControlKind::kFrame:
      return new QGroupBox(caption, parent);
    case ControlKind::kComboBox: {
      auto* combo = new QComboBox(parent);
      MakeDropDownCombo(*combo);
      combo->setEditText(caption);
      connect(combo, &QComboBox::activated, this,
              [this, id] { Forward([&] { form_.Click(id); }); });
      return combo;
    }
    case ControlKind::kTextBox: {
      auto* box = new QLineEdit(caption, parent);
      box->setAlignment(AlignmentFor(control.Align) | Qt::AlignVCenter);
      if (control.DisplayOnly) MakeDisplayOnly(*box);
      return box;
    }
    case ControlKind::kCommandButton: {
      auto* button = new CommandButton(caption, parent);
      connect(button, &QPushButton::clicked, this,
              [this, id] { Forward([&] { form_.Click(id); }); });
      return button;
    }
    case ControlKind::kListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      // A plain list box: long items are cut at the edge rather than scrolled sideways.
      list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      connect(list, &QListWidget::itemClicked, this,
              [this, id] { Forward([&] { form_.Click(id); }); });
      return list;
    }
  }
  return new QWidget(parent);
}

QWidget* FormWindow::Control(forms::ControlId control) const {
  const ControlLayout& row = forms::GetControl(form_.Layout(), control);
  return controls_.at(static_cast<std::size_t>(row.Id.Row()));
}

void FormWindow::Forward(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    onFailure_();
  }
}

void FormWindow::SetCaption(const std::string& text) { setWindowTitle(FromAnsi(text)); }

void FormWindow::SetText(forms::ControlId control, const std::string& text) {
  QWidget* widget = Control(control);
  const QString value = FromAnsi(text);
  if (auto* label = qobject_cast<QLabel*>(widget))
    label->setText(value);
  else if (auto* button = qobject_cast<QAbstractButton*>(widget))
    button->setText(value);
  else if (auto* box = qobject_cast<QLineEdit*>(widget))
    box->setText(value);
  else if (auto* combo = qobject_cast<QComboBox*>(widget))
    combo->setEditText(value);
  else if (auto* frame = qobject_cast<QGroupBox*>(widget))
    frame->setTitle(value);
}

std::string FormWindow::Text(forms::ControlId control) const {
  QWidget* widget = Control(control);
  if (auto* label = qobject_cast<QLabel*>(widget)) return ToAnsi(label->text());
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return ToAnsi(button->text());
  if (auto* box = qobject_cast<QLineEdit*>(widget)) return ToAnsi(box->text());
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return ToAnsi(combo->currentText());
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) return ToAnsi(frame->title());
  if (auto* list = qobject_cast<QListWidget*>(widget))
    return list->currentItem() ? ToAnsi(list->currentItem()->text()) : std::string();
  return {};
}

void FormWindow::AddItem(forms::ControlId control, const std::string& text) {
  QWidget* widget = Control(control);
  if (auto* combo = qobject_cast<QComboBox*>(widget))
    combo->addItem(FromAnsi(text));
  else if (auto* list = qobject_cast<QListWidget*>(widget))
    list->addItem(FromAnsi(text));
}

void FormWindow::InsertItem(forms::ControlId control, int index, const std::string& text) {
  QWidget* widget = Control(control);
  if (auto* combo = qobject_cast<QComboBox*>(widget))
    combo->insertItem(index, FromAnsi(text));
  else if (auto* list = qobject_cast<QListWidget*>(widget))
    list->insertItem(index, FromAnsi(text));
}

int FormWindow::ItemCount(forms::ControlId control) const {
  QWidget* widget = Control(control);
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return combo->count();
  if (auto* list = qobject_cast<QListWidget*>(widget)) return list->count();
  return 0;
}

std::string FormWindow::ItemText(forms::ControlId control, int index) const {
  QWidget* widget = Control(control);
  if (auto* combo = qobject_cast<QComboBox*>(widget)) return ToAnsi(combo->itemText(index));
  if (auto* list = qobject_cast<QListWidget*>(widget))
    return list->item(index) ? ToAnsi(list->item(index)->text()) : std::string();
  return {};
}

void FormWindow::SetListIndex(forms::ControlId control, int index) {
  QWidget* widget = Control(control);
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    if (index >= 0) {
      combo->setCurrentIndex(index);
    } else {
      // Qt clears the text field with the current entry; the text stays what it was.
      const QString text = combo->currentText();
      combo->setCurrentIndex(-1);
      combo->setEditText(text);
    }
  } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
    list->setCurrentRow(index);
    if (QListWidgetItem* item = list->currentItem()) list->scrollToItem(item);
  }
}

void FormWindow::SetEnabled(forms::ControlId control, bool enabled) {
  if (QWidget* widget = Control(control)) widget->setEnabled(enabled);
}

void FormWindow::SetVisible(forms::ControlId control, bool visible) {
  if (QWidget* widget = Control(control)) widget->setVisible(visible);
}

void FormWindow::Repaint() {
  if (!isVisible()) return;
  // The program's work keeps the event loop waiting: let the window system map and lay out
  // what the window shows so far, without taking the user's input before the work ends.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  repaint();
}

void FormWindow::SetBusyPointer(bool busy) {
  if (busy)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QGuiApplication::restoreOverrideCursor();
}

void FormWindow::Close() { close(); }

void FormWindow::reject() {}

void FormWindow::closeEvent(QCloseEvent* event) {
  // Every way of closing unloads the form once, while its controls still exist.
  if (!unloaded_) {
    unloaded_ = true;
    Forward([this] { form_.Form_Unload(); });
  }
  event->accept();
}

bool FormWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut && !unloaded_) {
    // The focus leaves a control only for another control of this form; switching windows,
    // a message box or an opened list keeps it where it is.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    const QWidget* now = QApplication::focusWidget();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        (now == nullptr || now->window() == this)) {
      for (std::size_t row = 0; row < controls_.size(); ++row)
        if (controls_[row] == watched)
          Forward([&] { form_.LostFocus(form_.Layout().Controls[row].Id); });
    }
  }
  return QDialog::eventFilter(watched, event);
}

void FormWindow::paintEvent(QPaintEvent* event) {
  QDialog::paintEvent(event);
  if (!drawsBorder_) return;
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace vorn::gui
