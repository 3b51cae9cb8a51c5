#include "tarvo/DesignLayout.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace tarvo {

namespace {

// A caption's text as drawn: the mnemonic marks take no room.
QString drawnText(QString text)
{
    text.replace(QLatin1String("&&"), QLatin1String("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    return text;
}

} // namespace

void DesignLayout::record(QWidget *w, const QRect &rect)
{
    m_items.push_back({w, rect});
    w->setGeometry(toPixels(rect));
}

void DesignLayout::setDesignRect(QWidget *w, const QRect &rect)
{
    for (Item &item : m_items) {
        if (item.widget == w) {
            item.rect = rect;
            w->setGeometry(toPixels(rect));
            return;
        }
    }
    record(w, rect);
}

QRect DesignLayout::toPixels(const QRect &design) const
{
    const double x = m_xScale > 0 ? m_xScale : 1.0 / m_unitsPerPixel;
    const double y = m_yScale > 0 ? m_yScale : 1.0 / m_unitsPerPixel;
    const int left = int(std::lround(design.left() * x));
    const int top = int(std::lround(design.top() * y));
    const int right = int(std::lround((design.left() + design.width()) * x));
    const int bottom = int(std::lround((design.top() + design.height()) * y));
    return QRect(left, top, right - left, bottom - top);
}

QSize DesignLayout::toPixels(const QSize &design) const
{
    return toPixels(QRect(QPoint(0, 0), design)).size();
}

QSize DesignLayout::captionNeed(const QWidget *w)
{
    if (const auto *box = qobject_cast<const QCheckBox *>(w))
        return box->text().isEmpty() ? QSize() : box->sizeHint();
    if (const auto *button = qobject_cast<const QPushButton *>(w)) {
        if (button->text().isEmpty())
            return {};
        // Not the button's size hint: styles give it a minimum width that
        // has nothing to do with the caption.
        const QStyle *style = button->style();
        const int chrome = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button)
            + 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button) + 4;
        const QFontMetrics fm = button->fontMetrics();
        return QSize(fm.horizontalAdvance(drawnText(button->text())) + chrome, fm.height() + chrome);
    }
    if (const auto *label = qobject_cast<const QLabel *>(w)) {
        if (label->text().isEmpty() || label->wordWrap())
            return {};
        return label->sizeHint();
    }
    return {};
}

void DesignLayout::fit()
{
    double x = 1.0 / m_unitsPerPixel;
    double y = 1.0 / m_unitsPerPixel;
    for (const Item &item : m_items) {
        const QSize need = captionNeed(item.widget);
        if (need.isEmpty() || item.rect.width() <= 0 || item.rect.height() <= 0)
            continue;
        x = std::max(x, double(need.width() + 1) / item.rect.width());
        y = std::max(y, double(need.height()) / item.rect.height());
    }
    // A wrapping text needs its lines' height at the width it is given.
    for (const Item &item : m_items) {
        const auto *label = qobject_cast<const QLabel *>(item.widget);
        if (!label || !label->wordWrap() || label->text().isEmpty() || item.rect.height() <= 0)
            continue;
        for (int i = 0; i < 40; ++i) {
            if (label->heightForWidth(int(item.rect.width() * x)) <= int(item.rect.height() * y))
                break;
            y *= 1.05;
        }
    }
    m_xScale = x;
    m_yScale = y;
    for (const Item &item : m_items)
        item.widget->setGeometry(toPixels(item.rect));
}

} // namespace tarvo
