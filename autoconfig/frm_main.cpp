#include "autoconfig/frm_main.h"

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <iostream>

#include "autoconfig/run_error_report.h"
#include "autoconfig/tesmo.h"
#include "common/ansi_text.h"
#include "gui/classic_font.h"

namespace vorn::autoconfig {

namespace {

constexpr int kTwipsPerPixel = 15;

QRect Twips(int left, int top, int width, int height) {
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
               height / kTwipsPerPixel);
}

QFont SansSerif(qreal points) { return gui::ClassicFont(points, true); }

QString FromAnsi(const std::string& text) { return QString::fromStdString(AnsiToUtf8(text)); }

}  // namespace

frmMain::frmMain(TesmoContext& ctx, std::function<void(int)> endProgram)
    // No title bar, no buttons: the window system draws only a thin, fixed border.
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint),
      ctx_(ctx),
      endProgram_(std::move(endProgram)),
      lblTitle(new QLabel(QStringLiteral("Please wait... configuring Vorn programs..."), this)),
      lstStatus(new QListWidget(this)),
      cmdClose(new QPushButton(QStringLiteral("&Close"), this)),
      lblStatus(new QLabel(this)),
      cmdPrint(new QPushButton(QStringLiteral("Print Test Page"), this)) {
  if (!endProgram_) endProgram_ = [](int status) { QCoreApplication::exit(status); };
  setObjectName(QStringLiteral("frmMain"));
  setFixedSize(Twips(0, 0, 4815, 2355).size());

  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  lblTitle->setGeometry(Twips(120, 120, 4575, 375));
  setFont(gui::ClassicFont());
  lblTitle->setFont(SansSerif(9.75));
  lblTitle->setWordWrap(true);
  lblTitle->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  lstStatus->setObjectName(QStringLiteral("lstStatus"));
  lstStatus->setGeometry(Twips(120, 600, 4575, 1035));
  lstStatus->setSelectionMode(QAbstractItemView::SingleSelection);
  // A plain list box: long items are cut at the edge rather than scrolled sideways.
  lstStatus->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  cmdClose->setObjectName(QStringLiteral("cmdClose"));
  cmdClose->setGeometry(Twips(3600, 1920, 1095, 375));
  cmdClose->setEnabled(false);

  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setGeometry(Twips(120, 1680, 3375, 255));
  lblStatus->setFont(SansSerif(8.25));
  lblStatus->setWordWrap(true);
  lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
  cmdPrint->setGeometry(Twips(120, 1920, 1455, 375));
  cmdPrint->setVisible(false);

  // Labels take no focus; the focus moves list, Close, Print Test Page.
  setTabOrder(lstStatus, cmdClose);
  setTabOrder(cmdClose, cmdPrint);

  connect(cmdClose, &QPushButton::clicked, this, &frmMain::cmdClose_Click);
  connect(cmdPrint, &QPushButton::clicked, this, &frmMain::cmdPrint_Click);
}

void frmMain::Show() {
  show();
  // Centred with its border, once the window system has given it one.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  activateWindow();
  PaintNow();
}

void frmMain::PaintNow() {
  // The run searches and patches without returning to the event loop: let the window show
  // what it says so far, without taking the user's clicks before the run ends.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmMain::AddItem(const std::string& text) {
  lstStatus->addItem(FromAnsi(text));
  PaintNow();
}

void frmMain::SelectLastItem() {
  lstStatus->setCurrentRow(lstStatus->count() - 1);
  lstStatus->scrollToItem(lstStatus->currentItem());
}

void frmMain::SetTitle(const std::string& text) { lblTitle->setText(FromAnsi(text)); }

void frmMain::SetStatus(const std::string& text) { lblStatus->setText(FromAnsi(text)); }

void frmMain::EnableClose() { cmdClose->setEnabled(true); }

void frmMain::ShowPrint() { cmdPrint->setVisible(true); }

void frmMain::cmdClose_Click() { close(); }

void frmMain::cmdPrint_Click() {
  try {
    StartKelvarin(ctx_);
  } catch (const RunError& error) {
    endProgram_(ReportRunError(error, ctx_.Messages, std::cerr));
  }
}

}  // namespace vorn::autoconfig
