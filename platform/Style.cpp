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

#include <array>
#include <initializer_list>

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

// A kept part's name: its kind and every number its look depends on, in
// hex (formatting them is most of what a copy costs otherwise).
QString PartKey(const char* kind, std::initializer_list<long long> numbers)
{
    std::array<char, 640> buf;
    size_t n = 0;
    for (; *kind && n < 64; ++kind)
        buf[n++] = *kind;
    for (long long v : numbers) {
        if (n + 18 > buf.size())
            break;
        buf[n++] = '-';
        auto u = static_cast<unsigned long long>(v);
        char digits[16];
        int k = 0;
        do {
            digits[k++] = "0123456789abcdef"[u & 15u];
            u >>= 4;
        } while (u);
        while (k)
            buf[n++] = digits[--k];
    }
    return QString::fromLatin1(buf.data(), static_cast<qsizetype>(n));
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
        if (pe == PE_FrameTabWidget) {
            DrawTabFrame(opt, p, w);
            return;
        }
        const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(opt);
        // An edit inside a combo box or a spin box has its panel drawn by
        // its parent.
        const QWidget* parent = w ? w->parentWidget() : nullptr;
        if (pe != PE_PanelLineEdit || !frame || !Copyable(frame->rect, p) || qobject_cast<const QComboBox*>(parent) ||
            qobject_cast<const QAbstractSpinBox*>(parent)) {
            QProxyStyle::drawPrimitive(pe, opt, p, w);
            return;
        }
        const QString key = PartKey("vx-panel", {frame->rect.width(), frame->rect.height(), frame->state,
                                                 frame->direction, frame->palette.cacheKey(), frame->lineWidth,
                                                 frame->midLineWidth, frame->features});
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
        const QString key =
            PartKey("vx-scrollbar", {bar->rect.width(), bar->rect.height(), bar->state, bar->direction,
                                     bar->palette.cacheKey(), bar->subControls, bar->activeSubControls,
                                     bar->orientation, bar->minimum, bar->maximum, bar->sliderPosition,
                                     bar->sliderValue, bar->singleStep, bar->pageStep, bar->upsideDown,
                                     bar->tickPosition, bar->tickInterval});
        DrawKept(p, bar->rect, key, [&](QPainter* pp) {
            QStyleOptionSlider at(*bar);
            at.rect.moveTopLeft(QPoint(0, 0));
            QProxyStyle::drawComplexControl(cc, &at, pp, w);
        });
    }

private:
    // A tab page's frame is drawn again under every child that repaints
    // without covering its own rectangle (a value box, each refresh): the
    // kept copy is drawn clipped to that little area.
    void DrawTabFrame(const QStyleOption* opt, QPainter* p, const QWidget* w) const
    {
        const auto* tab = qstyleoption_cast<const QStyleOptionTabWidgetFrame*>(opt);
        if (!tab || !Copyable(tab->rect, p)) {
            QProxyStyle::drawPrimitive(PE_FrameTabWidget, opt, p, w);
            return;
        }
        const QPoint o = tab->rect.topLeft();
        const QRect bar = tab->tabBarRect.translated(-o), selected = tab->selectedTabRect.translated(-o);
        const QString key = PartKey(
            "vx-tabframe", {tab->rect.width(), tab->rect.height(), tab->state, tab->direction, tab->palette.cacheKey(),
                            tab->lineWidth, tab->midLineWidth, tab->shape, tab->tabBarSize.width(),
                            tab->tabBarSize.height(), tab->rightCornerWidgetSize.width(),
                            tab->rightCornerWidgetSize.height(), tab->leftCornerWidgetSize.width(),
                            tab->leftCornerWidgetSize.height(), bar.x(), bar.y(), bar.width(), bar.height(),
                            selected.x(), selected.y(), selected.width(), selected.height()});
        DrawKept(p, tab->rect, key, [&](QPainter* pp) {
            QStyleOptionTabWidgetFrame at(*tab);
            at.rect.moveTopLeft(QPoint(0, 0));
            at.tabBarRect = bar;
            at.selectedTabRect = selected;
            QProxyStyle::drawPrimitive(PE_FrameTabWidget, &at, pp, w);
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
