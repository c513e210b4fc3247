#pragma once

#include <QLabel>
#include <QStatusBar>
#include <array>

namespace vorkel {

class ValueLabel;

// A status bar of three text panels, addressed 1, 2 and 3.
class StatusBar : public QStatusBar {
    Q_OBJECT
  public:
    explicit StatusBar(int panelWidthPixels, QWidget* parent = nullptr);
    QLabel* panel(int index) const; // 1-based
    void setPanelText(int index, const QString& text);
    QString panelText(int index) const;

  private:
    std::array<ValueLabel*, 3> m_panels{};
};

} // namespace vorkel
