#include "gui/classic_font.h"

#include <QStringList>

namespace vorn::gui {

QFont ClassicFont(qreal points, bool bold) {
  QFont font;
  // Liberation Sans and Arial have the metrics of Microsoft's sans-serif faces.
  font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                    QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

}  // namespace vorn::gui
