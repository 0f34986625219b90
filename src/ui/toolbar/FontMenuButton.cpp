#include "ui/toolbar/FontMenuButton.h"

#include "ui/theme/Colors.h"
#include "ui/theme/Symbols.h"

#include <QMenu>

namespace zepla::ui {

FontMenuButton::FontMenuButton(annotations::AnnotationFont current, QWidget* parent)
    : QToolButton(parent), m_current(current) {
    auto* menu = new QMenu(this);
    for (annotations::AnnotationFont font : annotations::allCases<annotations::AnnotationFont>()) {
        QAction* item = menu->addAction(annotations::label(font));
        item->setData(static_cast<int>(font));
        connect(item, &QAction::triggered, this, [this, font] { emit fontChosen(font); });
    }
    setMenu(menu);
    setPopupMode(QToolButton::InstantPopup);
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    QFont labelFont = font();
    labelFont.setPixelSize(12);
    setFont(labelFont);
    setFixedWidth(80);
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

} // namespace zepla::ui
