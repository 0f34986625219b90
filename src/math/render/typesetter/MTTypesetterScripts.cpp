// Superscripts and subscripts placed after their nucleus by TeX's rule 18, with the OpenType MATH constants
// of the current style font.
#include "typesetter/MTTypesetter.h"

#include <algorithm>

namespace zepla::math {

MTLineStyle MTTypesetter::scriptStyle() const {
    return isNotScript(m_style) ? MTLineStyle::script : MTLineStyle::scriptOfScript;
}

qreal MTTypesetter::superScriptShiftUp() const {
    const MTFontMathTable& table = *styleFont()->mathTable();
    return m_cramped ? table.superscriptShiftUpCramped() : table.superscriptShiftUp();
}

void MTTypesetter::makeScripts(const MTMathAtom& atom, MTDisplay& display, qint64 index, qreal delta) {
    const MTFontMathTable& table = *styleFont()->mathTable();
    const qreal x = m_currentPosition.x();
    const qreal y = m_currentPosition.y();
    qreal up = 0;
    qreal down = 0;
    display.setHasScript(true);
    // A construct's scripts hang from its box; those of a run of characters start from the baseline.
    if (!dynamic_cast<const MTCTLineDisplay*>(&display)) {
        const MTFontMathTable& scriptTable = *fontForStyle(scriptStyle())->mathTable();
        up = display.ascent() - scriptTable.superscriptBaselineDropMax();
        down = display.descent() + scriptTable.subscriptBaselineDropMin();
    }

    const auto layoutScript = [&](const MTMathListPtr& list, bool cramped,
                                  MTMathListDisplay::LinePosition type) {
        auto script = layoutLine(list, m_fonts, scriptStyle(), cramped, false);
        script->setType(type);
        script->setIndex(index);
        m_displayAtoms.push_back(script);
        return script;
    };

    if (!atom.superScript()) {
        const auto sub =
            layoutScript(atom.subScript(), subscriptCramped(), MTMathListDisplay::LinePosition::ssubscript);
        down = std::max({down, table.subscriptShiftDown(), sub->ascent() - table.subscriptTopMax()});
        sub->setPosition(QPointF(x, y - down));
        m_currentPosition.rx() += sub->width() + table.spaceAfterScript();
        return;
    }

    const auto sup =
        layoutScript(atom.superScript(), superScriptCramped(), MTMathListDisplay::LinePosition::superscript);
    up = std::max({up, superScriptShiftUp(), sup->descent() + table.superscriptBottomMin()});
    if (!atom.subScript()) {
        sup->setPosition(QPointF(x, y + up));
        m_currentPosition.rx() += sup->width() + table.spaceAfterScript();
        return;
    }

    const auto sub =
        layoutScript(atom.subScript(), subscriptCramped(), MTMathListDisplay::LinePosition::ssubscript);
    down = std::max(down, table.subscriptShiftDown());
    const qreal gap = (up - sup->descent()) + (down - sub->ascent());
    if (gap < table.subSuperscriptGapMin()) {
        down += table.subSuperscriptGapMin() - gap;
        const qreal bottomDelta = table.superscriptBottomMaxWithSubscript() - (up - sup->descent());
        if (bottomDelta > 0) {
            up += bottomDelta;
            down -= bottomDelta;
        }
    }
    sup->setPosition(QPointF(x + delta, y + up));
    sub->setPosition(QPointF(x, y - down));
    m_currentPosition.rx() += std::max(sup->width() + delta, sub->width()) + table.spaceAfterScript();
}

} // namespace zepla::math
