#pragma once

#include <QRect>
#include <QVector>

class QWidget;

namespace tarvo {

// A window laid out as it was designed: every control at a fixed place in
// design units (twips for the main window, pixels for the small ones). The
// units are turned into pixels so that every caption fits its control at the
// font in use: a larger font (a desktop scaled to 125 % or 150 %, or a
// larger default font) widens and heightens the window instead of cutting
// captions off. Positions keep their proportions, so the design's heights
// still mean what they meant.
class DesignLayout {
public:
    explicit DesignLayout(int unitsPerPixel) : m_unitsPerPixel(unitsPerPixel) {}

    // Records where `w` sits in its parent, in design units, and puts it there.
    template <class W>
    W *place(W *w, int left, int top, int width, int height)
    {
        record(w, QRect(left, top, width, height));
        return w;
    }
    // Moves a recorded control to another designed place.
    void setDesignRect(QWidget *w, const QRect &rect);

    // Works out the pixels per unit from the captions of the recorded
    // controls and places them all again.
    void fit();

    QRect toPixels(const QRect &design) const;
    QSize toPixels(const QSize &design) const;

    // How many pixels a caption of `w` needs: its text, plus what the style
    // draws round it; an empty size for a control without a caption.
    static QSize captionNeed(const QWidget *w);

private:
    struct Item { QWidget *widget; QRect rect; };
    void record(QWidget *w, const QRect &rect);

    int m_unitsPerPixel;
    double m_xScale = 0;   // pixels per unit; 0 until fitted
    double m_yScale = 0;
    QVector<Item> m_items;
};

} // namespace tarvo
