// A benchmark hook: once the first window has been exposed and painted,
// prints "first-paint NS" (CLOCK_MONOTONIC, nanoseconds) and quits.
#pragma once

class QApplication;

void quitAfterFirstPaint(QApplication &application);
