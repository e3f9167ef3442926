// StatusPanels: the main window's status bar - fixed-width sunken panels of text on silver.
#pragma once

#include <QString>
#include <QWidget>

#include <vector>

namespace varnock {

class StatusPanelsBar final : public QWidget {
    Q_OBJECT

public:
    StatusPanelsBar(std::vector<int> widths, QWidget* parent = nullptr);

    void setPanelText(int index, const QString& text);
    QString panelText(int index) const;
    int panelCount() const { return static_cast<int>(texts_.size()); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::vector<int> widths_;
    std::vector<QString> texts_;
};

} // namespace varnock
