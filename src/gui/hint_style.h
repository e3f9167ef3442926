// Hints of every window: OCR-A 10 on cyan, shown after 250 ms, hidden after 3 s.
#pragma once

#include <QProxyStyle>

namespace varnock {

class HintStyle final : public QProxyStyle {
public:
    static constexpr int kHintPauseMs = 250;
    static constexpr int kHintHidePauseMs = 3000;

    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};

// The hint font and colours for the whole application, and the style with the hint pauses.
void installHints();

} // namespace varnock
