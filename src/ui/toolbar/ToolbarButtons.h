// Making the toolbar's buttons: a theme button with its help text, and keyboard shortcuts that work anywhere
// in the window.
#pragma once

#include <QColor>
#include <QKeySequence>

#include <functional>

class QWidget;

namespace zepla::ui {

class ToolbarLabeledButton;
class ToolbarPillButton;

ToolbarPillButton* pillButton(const QString& symbol, const QColor& tint, const QString& help,
                              std::function<void()> action, QWidget* parent);
ToolbarLabeledButton* labeledButton(const QString& symbol, const QString& label, const QColor& tint,
                                    const QString& help, std::function<void()> action, QWidget* parent);
// The key of a character with modifiers ("r" with Ctrl is Ctrl+R).
QKeySequence shortcut(QChar key, Qt::KeyboardModifiers modifiers);
// Runs `action` when `keys` are pressed while `owner`'s window is active.
void bindShortcut(QWidget* owner, const QKeySequence& keys, std::function<void()> action);

} // namespace zepla::ui
