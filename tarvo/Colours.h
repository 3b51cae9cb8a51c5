#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tarvo {

// A colour's brightness as the eye sees it (WCAG's relative luminance).
inline double relativeLuminance(const QColor &colour)
{
    auto channel = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

inline double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The text colour for a background the program chose itself: the desktop's
// own text colour where it reads well on it, so a light desktop looks as
// designed, otherwise black or white, whichever stands out more. A dark
// desktop's light text on a light background would be unreadable.
inline QColor readableOn(const QColor &background, const QColor &preferred)
{
    constexpr double kReadable = 4.5;
    if (contrastRatio(background, preferred) >= kReadable)
        return preferred;
    const QColor black(0, 0, 0);
    const QColor white(255, 255, 255);
    return contrastRatio(background, black) >= contrastRatio(background, white) ? black : white;
}

// Paints `widget` in `background` on its `backgroundRole` with a text colour
// that reads on it in its `foregroundRole`; the rest of its palette still
// follows the window's.
inline void paintReadable(QWidget *widget, QPalette::ColorRole backgroundRole, QPalette::ColorRole foregroundRole,
                          const QColor &background)
{
    QPalette p = widget->palette();
    const QColor text = widget->parentWidget() ? widget->parentWidget()->palette().color(foregroundRole)
                                               : p.color(foregroundRole);
    p.setColor(backgroundRole, background);
    p.setColor(foregroundRole, readableOn(background, text));
    widget->setPalette(p);
}

} // namespace tarvo
