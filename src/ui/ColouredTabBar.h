#pragma once

#include <QColor>
#include <QTabBar>
#include <functional>

namespace ostrivane {

// The settings panel's owner-drawn tab strips: ghost white items whose text has the item's own
// colour; the selected item is filled with that colour and its text drawn in white.
class ColouredTabBar final : public QTabBar {
  Q_OBJECT

 public:
  static const QColor kBackground;  // ghost white
  static const QColor kRoyalBlue;
  static const QColor kLimeGreen;
  static const QColor kSilver;
  static const QColor kOrange;
  static const QColor kDarkRed;

  using ColourRule = std::function<QColor(int index)>;

  ColouredTabBar(ColourRule colourOf, QWidget* parent);

  // Removes every item and inserts the given labels, without reporting a selection change.
  void SetItems(const QStringList& labels);
  // Selects an item without reporting it (programmatic selections are not user choices).
  void SelectQuietly(int index);
  QColor ItemColour(int index) const { return m_colourOf(index); }
  // (strip width - 5) / item count, the narrowest an item may be.
  int MinimumTabWidth() const;

 protected:
  QSize tabSizeHint(int index) const override;
  QSize minimumTabSizeHint(int index) const override;
  void paintEvent(QPaintEvent* event) override;

 private:
  ColourRule m_colourOf;
};

}  // namespace ostrivane
