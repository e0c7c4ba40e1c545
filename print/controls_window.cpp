#include "print/controls_window.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include "gui/classic_font.h"

namespace vorn::print {

namespace {

// Geometry is laid out in twips, 15 to a logical pixel.
constexpr int Px(int twips) { return twips / 15; }

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal s = size / 16.0;
  // A sheet of paper with printed lines coming out of a printer.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 60, 70));
  p.drawRoundedRect(QRectF(1 * s, 7 * s, 14 * s, 6 * s), 1.5 * s, 1.5 * s);
  p.setBrush(Qt::white);
  p.setPen(QPen(QColor(40, 40, 40), qMax(1.0, 0.5 * s)));
  p.drawRect(QRectF(4 * s, 1 * s, 8 * s, 9 * s));
  p.setPen(QPen(QColor(20, 80, 160), qMax(1.0, 0.6 * s)));
  for (int line = 0; line < 3; ++line)
    p.drawLine(QPointF(5 * s, (3 + 2 * line) * s), QPointF(11 * s, (3 + 2 * line) * s));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(90, 200, 90));
  p.drawEllipse(QPointF(13 * s, 11 * s), 1 * s, 1 * s);
  return pixmap;
}

}  // namespace

QIcon KelvarinIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(DrawIcon(size));
  return icon;
}

frmControls::frmControls(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
  setObjectName("frmControls");
  setWindowTitle("Printing Quote");
  setWindowIcon(KelvarinIcon());
  setFixedSize(Px(6120), Px(975));

  lblMsg = new QLabel("Printing VORN Quote.  Please wait.....", this);
  lblMsg->setObjectName("lblMsg");
  lblMsg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  lblMsg->setFont(gui::ClassicFont(9.75, true));
  lblMsg->setGeometry(Px(540), Px(240), Px(5175), Px(435));
}

void frmControls::ShowCentred() { show(); }

void frmControls::showEvent(QShowEvent* event) {
  // Centred when shown, once the window system has given the window its frame.
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (screen) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->geometry().center());
    move(frame.topLeft());
  }
  QWidget::showEvent(event);
}

}  // namespace vorn::print
