// Counts the paint events one widget receives, for tests that a change
// repaints what it must and nothing more.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* w) : target(w) { qApp->installEventFilter(this); }
    ~PaintCounter() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (o == target && e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
    QWidget* target;
    int paints = 0;
};
