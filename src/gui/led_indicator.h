// TALed: a small LED indicator - on/off pictures drawn once, an optional blink timer swapping them.
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace varnock {

class TALed final : public QWidget {
    Q_OBJECT

public:
    enum class Style { HorizontalBar, Round };

    static constexpr uint32_t kDefaultOn = 65280;        // lime
    static constexpr uint32_t kDefaultOff = 12632256;    // silver
    static constexpr int kDefaultInterval = 1000;

    explicit TALed(QWidget* parent = nullptr);

    // Setting the state it already has does nothing (a blinking LED keeps its rhythm).
    void setOn(bool on);
    bool isOn() const { return on_; }

    // Colours are the system's 24-bit values; a change rebuilds both pictures.
    void setOnColour(uint32_t value);
    void setOffColour(uint32_t value);
    uint32_t onColour() const { return onColour_; }
    uint32_t offColour() const { return offColour_; }

    void setStyle(Style s);
    void setBlink(bool blink, int intervalMs = kDefaultInterval);
    bool blinks() const { return blink_; }

    // Which picture is on screen now (the on picture may be swapped out by the blink).
    bool showingOnPicture() const { return showingOn_; }
    // The colour at the middle of the picture on screen; what a viewer sees.
    QColor shownColour() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;

private:
    void rebuild();
    QImage picture(uint32_t colour) const;
    void swap();

    uint32_t onColour_ = kDefaultOn;
    uint32_t offColour_ = kDefaultOff;
    Style style_ = Style::HorizontalBar;
    bool on_ = false;
    bool blink_ = true;
    bool showingOn_ = false;
    QImage onPicture_, offPicture_;
    QTimer blinkTimer_;
};

} // namespace varnock
