#pragma once

#include "ui/pages/PanelPage.h"

class QToolButton;

namespace ostrivane {

// "MISC.": encoder options and the EDID repair button.
class MiscPage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 3;

  MiscPage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void PageEnable() override;

 private:
  QToolButton* m_edidButton = nullptr;
};

}  // namespace ostrivane
