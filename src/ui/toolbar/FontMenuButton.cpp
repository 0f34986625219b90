#include "ui/toolbar/FontMenuButton.h"

#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QMenu>
#include <QStyleOptionToolButton>
#include <QStylePainter>

#include <algorithm>

namespace zepla::ui {

namespace {

constexpr int designWidth = 80;
constexpr int padding = 5;
constexpr int arrowSize = 10;
constexpr int gap = 3;

} // namespace

FontMenuButton::FontMenuButton(annotations::AnnotationFont current, QWidget* parent)
    : QToolButton(parent), m_current(current) {
    auto* menu = new QMenu(this);
    int widestName = 0;
    QFont labelFont = font();
    labelFont.setPixelSize(12);
    setFont(labelFont);
    for (annotations::AnnotationFont font : annotations::allCases<annotations::AnnotationFont>()) {
        QAction* item = menu->addAction(annotations::label(font));
        item->setData(static_cast<int>(font));
        connect(item, &QAction::triggered, this, [this, font] { emit fontChosen(font); });
        widestName = std::max(widestName, fontMetrics().horizontalAdvance(annotations::label(font)));
    }
    setMenu(menu);
    setPopupMode(QToolButton::InstantPopup);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    // The design's width, unless the desktop's font needs more for "Handwritten" beside the arrow.
    setFixedWidth(std::max(designWidth, padding + widestName + gap + arrowSize + padding));
    setToolTip(QStringLiteral("Text box font"));
    setCurrent(current);
}

void FontMenuButton::setCurrent(annotations::AnnotationFont font) {
    m_current = font;
    setText(annotations::label(font));
    const QIcon check = Symbols::icon(QStringLiteral("checkmark"), Color::primary(this));
    for (QAction* item : menu()->actions())
        item->setIcon(item->data().toInt() == static_cast<int>(font) ? check : QIcon());
}

QRect FontMenuButton::labelRect() const {
    return QRect(padding, 0, width() - 2 * padding - gap - arrowSize, height());
}

QRect FontMenuButton::arrowRect() const {
    return QRect(width() - padding - arrowSize, (height() - arrowSize) / 2, arrowSize, arrowSize);
}

// The style's own arrow of a menu button sits in the corner over the label: the panel is drawn by the
// style, the name and the arrow in places of their own.
void FontMenuButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    option.features &= ~QStyleOptionToolButton::HasMenu;
    painter.drawComplexControl(QStyle::CC_ToolButton, option);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    const QRect label = labelRect();
    painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(text(), Qt::ElideRight, label.width()));
    painter.drawPixmap(arrowRect(), Symbols::pixmap(QStringLiteral("chevron.down"), arrowSize,
                                                    Color::secondary(this), false, devicePixelRatioF()));
}

} // namespace zepla::ui
