#pragma once

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QWidget>

// The hourglass for the length of a step, taken back however the step ends.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// Gives an edit area its background colour; an invalid colour leaves it as it is.
inline void setBaseColour(QWidget *w, const QColor &color)
{
    if (!color.isValid())
        return;
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, color);
    w->setPalette(pal);
}
