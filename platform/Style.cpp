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

// Whether a part drawn into a pixmap and copied comes out where it would
// have been drawn: whole pixels, no scaling.
bool Copyable(const QRect& rect, const QPainter* p)
{
    if (rect.isEmpty() || !p || !p->device() || p->device()->devicePixelRatio() != 1.0)
        return false;
    const QTransform t = p->transform();
    return t.type() <= QTransform::TxTranslate && t.dx() == static_cast<int>(t.dx()) &&
           t.dy() == static_cast<int>(t.dy());
}

// Draws a part by its kept picture under key, made by draw (which paints
// the part at the origin) the first time.
template <class Draw>
void DrawKept(QPainter* p, const QRect& rect, const QString& key, const Draw& draw)
{
    QPixmap part;
    if (!QPixmapCache::find(key, &part)) {
        part = QPixmap(rect.size());
        part.fill(Qt::transparent);
        QPainter pp(&part);
        draw(&pp);
        pp.end();
        QPixmapCache::insert(key, part);
    }
    p->drawPixmap(rect.topLeft(), part);
}

class AppStyle : public QProxyStyle {
public:
    explicit AppStyle(QStyle* base) : QProxyStyle(base) {}

    void drawPrimitive(PrimitiveElement pe, const QStyleOption* opt, QPainter* p, const QWidget* w) const override
    {
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(opt);
        // An edit inside a combo box or a spin box has its panel drawn by
        // its parent.
        const QWidget* parent = w ? w->parentWidget() : nullptr;
        if (pe != PE_PanelLineEdit || !frame || !Copyable(frame->rect, p) || qobject_cast<const QComboBox*>(parent) ||
            qobject_cast<const QAbstractSpinBox*>(parent)) {
            QProxyStyle::drawPrimitive(pe, opt, p, w);
            return;
        }
        const QString key = QString::asprintf("vx-panel-%d-%d-%u-%d-%lld-%d-%d-%u", frame->rect.width(),
                                              frame->rect.height(), static_cast<uint>(frame->state),
                                              static_cast<int>(frame->direction),
                                              static_cast<long long>(frame->palette.cacheKey()), frame->lineWidth,
                                              frame->midLineWidth, static_cast<uint>(frame->features));
        DrawKept(p, frame->rect, key, [&](QPainter* pp) {
            QStyleOptionFrame at(*frame);
            at.rect.moveTopLeft(QPoint(0, 0));
            QProxyStyle::drawPrimitive(pe, &at, pp, w);
        });
    }

    // A scroll bar's range changes with every few lines a terminal gains or
    // loses, and its groove is a gradient: the few states it goes through
    // are kept.
    void drawComplexControl(ComplexControl cc, const QStyleOptionComplex* opt, QPainter* p,
                            const QWidget* w) const override
    {
        const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(opt);
        if (cc != CC_ScrollBar || !bar || !Copyable(bar->rect, p)) {
            QProxyStyle::drawComplexControl(cc, opt, p, w);
            return;
        }
        const QString key = QString::asprintf(
            "vx-scrollbar-%d-%d-%u-%d-%lld-%u-%u-%d-%d-%d-%d-%d-%d-%d-%d-%d-%d", bar->rect.width(), bar->rect.height(),
            static_cast<uint>(bar->state), static_cast<int>(bar->direction),
            static_cast<long long>(bar->palette.cacheKey()), static_cast<uint>(bar->subControls),
            static_cast<uint>(bar->activeSubControls), static_cast<int>(bar->orientation), bar->minimum,
            bar->maximum, bar->sliderPosition, bar->sliderValue, bar->singleStep, bar->pageStep,
            static_cast<int>(bar->upsideDown), static_cast<int>(bar->tickPosition), bar->tickInterval);
        DrawKept(p, bar->rect, key, [&](QPainter* pp) {
            QStyleOptionSlider at(*bar);
            at.rect.moveTopLeft(QPoint(0, 0));
            QProxyStyle::drawComplexControl(cc, &at, pp, w);
        });
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
