// A pointer drag over a PDF view, as a user draws a shape with the chosen tool.
#pragma once

#include <QTest>
#include <QWidget>

namespace testsupport {

// Presses left of and above the middle of the view's viewport, moves in four steps and releases 120 by 80
// pixels further on.
inline void dragAcrossTheMiddle(QWidget* viewport) {
    const QPoint from = viewport->rect().center() - QPoint(60, 40);
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(viewport, from + QPoint(30 * step, 20 * step));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(120, 80));
}

} // namespace testsupport
