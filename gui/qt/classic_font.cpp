#include "gui/qt/classic_font.h"

#include <QFontInfo>
#include <QStringList>

namespace vorn::gui {

namespace {

// How wide a stand-in's letters are set, in percent: Liberation Sans and Arial run a little
// wider than "MS Sans Serif", enough to wrap a long instruction text onto one line more than
// its label holds.
constexpr int kStandInStretch = 97;

}  // namespace

QFont ClassicFont(qreal points, bool bold) {
  QFont font;
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  const QString family = QFontInfo(font).family();
  if (family.compare(QStringLiteral("MS Sans Serif"), Qt::CaseInsensitive) != 0 &&
      family.compare(QStringLiteral("Microsoft Sans Serif"), Qt::CaseInsensitive) != 0)
    font.setStretch(kStandInStretch);
  return font;
}

}  // namespace vorn::gui
