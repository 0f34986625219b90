#include "ui/toolbar/ToolbarButtons.h"

#include "ui/theme/ToolbarLabeledButton.h"
#include "ui/theme/ToolbarPillButton.h"

#include <QShortcut>

namespace zepla::ui {

ToolbarPillButton* pillButton(const QString& symbol, const QColor& tint, const QString& help,
                              std::function<void()> action, QWidget* parent) {
    auto* button = new ToolbarPillButton(symbol, false, tint, std::move(action), parent);
    button->setToolTip(help);
    return button;
}

ToolbarLabeledButton* labeledButton(const QString& symbol, const QString& label, const QColor& tint,
                                    const QString& help, std::function<void()> action, QWidget* parent) {
    auto* button = new ToolbarLabeledButton(symbol, label, false, tint, std::move(action), parent);
    button->setToolTip(help);
    return button;
}

QKeySequence shortcut(QChar key, Qt::KeyboardModifiers modifiers) {
    return QKeySequence(QKeySequence(QString(key))[0].key() | modifiers);
}

void bindShortcut(QWidget* owner, const QKeySequence& keys, std::function<void()> action) {
    auto* shortcut = new QShortcut(keys, owner);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, owner, std::move(action));
}

} // namespace zepla::ui
