#include "platform/Style.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>

namespace {

class AppStyle : public QProxyStyle {
public:
    explicit AppStyle(QStyle* base) : QProxyStyle(base) {}

    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p, const QWidget* w) const override
    {
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(opt);
        if (pe != PE_PanelLineEdit || !frame || !Copyable(*frame, p, w)) {
            QProxyStyle::drawPrimitive(pe, opt, p, w);
            return;
        }
        const QString key = QString::asprintf("vx-panel-%d-%d-%u-%d-%lld-%d-%d-%u", frame->rect.width(),
                                              frame->rect.height(), static_cast<uint>(frame->state),
                                              static_cast<int>(frame->direction),
                                              static_cast<long long>(frame->palette.cacheKey()), frame->lineWidth,
                                              frame->midLineWidth, static_cast<uint>(frame->features));
        QPixmap panel;
        if (!QPixmapCache::find(key, &panel)) {
            panel = QPixmap(frame->rect.size());
            panel.fill(Qt::transparent);
            QStyleOptionFrame at(*frame);
            at.rect.moveTopLeft(QPoint(0, 0));
            QPainter pp(&panel);
            QProxyStyle::drawPrimitive(pe, &at, &pp, w);
            pp.end();
            QPixmapCache::insert(key, panel);
        }
        p->drawPixmap(frame->rect.topLeft(), panel);
    }

private:
    // Copied only where the copy lands on whole pixels as drawn and the
    // style draws the panel at all (an edit inside a combo box or a spin
    // box has its panel drawn by its parent).
    static bool Copyable(const QStyleOptionFrame& frame, const QPainter* p, const QWidget* w)
    {
        if (frame.rect.isEmpty() || !p || !p->device() || p->device()->devicePixelRatio() != 1.0)
            return false;
        const QTransform t = p->transform();
        if (t.type() > QTransform::TxTranslate || t.dx() != static_cast<int>(t.dx()) ||
            t.dy() != static_cast<int>(t.dy()))
            return false;
        const QWidget* parent = w ? w->parentWidget() : nullptr;
        return !qobject_cast<const QComboBox*>(parent) && !qobject_cast<const QAbstractSpinBox*>(parent);
    }
};

} // namespace

namespace vx {

QStyle* MakeAppStyle(QStyle* base) { return new AppStyle(base); }

void InstallAppStyle()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    if (dynamic_cast<AppStyle*>(QApplication::style()))
        return;
    // The style chosen so far (the platform's, or one asked for on the
    // command line) stays the one drawing.
    QApplication::setStyle(MakeAppStyle(QStyleFactory::create(QApplication::style()->name())));
}

} // namespace vx
