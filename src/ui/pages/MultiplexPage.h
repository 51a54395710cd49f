#pragma once

#include "ui/pages/PanelPage.h"

class QComboBox;

namespace ostrivane {

class ColouredTabBar;

// "MULTIPLEX": output modulation per modulator output (strip 1274), network identity, IP output.
class MultiplexPage final : public PanelPage {
  Q_OBJECT

 public:
  static constexpr int kIndex = 0;

  MultiplexPage(PanelHost& host, OperationContext& ctx, QWidget* parent);

  void PageShow(bool flag) override;
  void PageEnable() override;

  // The protocols the connected model streams with; refilled each time the panel opens.
  void RefillProtocolList(std::uint8_t typeCode);
  // Tab labels of the outputs, with "(Init...)" while an output has no bitrate measurement.
  void ShowBitrateMeter();
  void SelectModulatorTab(int index);
  ColouredTabBar* ModulatorTabs() const { return m_modulatorTabs; }

 protected:
  void FillValues() override;
  void ReadValues() override;

 private:
  ColouredTabBar* m_modulatorTabs = nullptr;
  QComboBox* m_protocols = nullptr;
};

// "M1", "M2", ... ; with the meter, " (" text 39 ")" after an output that reports no capacity.
QStringList ModulatorTabLabels(int modulatorCount, const DeviceStatus* meter,
                               const QString& initText);

}  // namespace ostrivane
