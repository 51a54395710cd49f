#include "ui/pages/MiscPage.h"

#include <QGridLayout>
#include <QToolButton>

#include "operations/Capabilities.h"
#include "operations/DeviceActions.h"
#include "ui/ControlIds.h"
#include "ui/Pictures.h"

namespace ostrivane {

namespace {
constexpr int kEdidIconSide = 16;
}

MiscPage::MiscPage(PanelHost& host, OperationContext& ctx, QWidget* parent)
    : PanelPage(kIndex, host, ctx, parent) {
  m_edidButton = AddControl(control::EdidButton, new QToolButton(this), "edidRepair",
                            QStringLiteral("Repair EDID table"));
  m_edidButton->setIcon(PictureIcon(Picture::Chip));
  m_edidButton->setIconSize(QSize(kEdidIconSide, kEdidIconSide));
  m_edidButton->setToolTip(QStringLiteral("Repair EDID table"));
  m_edidButton->setFocusPolicy(Qt::StrongFocus);
  connect(m_edidButton, &QToolButton::clicked, this, [this] { RequestEdidRepair(Ctx()); });

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(m_edidButton, 0, 0);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(1, 1);
  ChainTabOrder();
}

void MiscPage::PageEnable() {
  m_edidButton->setEnabled(HasEdidRepair(TypeCode()));
}

}  // namespace ostrivane
