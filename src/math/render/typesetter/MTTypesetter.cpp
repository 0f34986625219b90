// The one-line TeX layout engine: the entry points, the style font, inter-atom spacing and the atom loop.
#include "typesetter/MTTypesetter.h"

#include "color/MTColor.h"
#include "mathlist/MTUnicode.h"
#include "typesetter/MTStyledAlphabets.h"

#include <array>

namespace zepla::math {

class MTTypesetter::StyleFonts {
public:
    explicit StyleFonts(std::shared_ptr<MTFont> font) : m_font(std::move(font)) {}

    const std::shared_ptr<MTFont>& font() const { return m_font; }

    // Display and text style use the font itself; the script styles a copy at their size, made once.
    const std::shared_ptr<MTFont>& at(MTLineStyle style) {
        if (isNotScript(style) || !m_font)
            return m_font;
        std::shared_ptr<MTFont>& scaled = m_scaled[style == MTLineStyle::script ? 0 : 1];
        if (!scaled)
            scaled = m_font->copyWithSize(getStyleSize(style, m_font.get()));
        return scaled;
    }

private:
    std::shared_ptr<MTFont> m_font;
    std::array<std::shared_ptr<MTFont>, 2> m_scaled;
};

namespace {

// What a construct the loop places at the pen spaces as, on its left and for the atom after it.
MTMathAtomType spacingTypeOfConstruct(MTMathAtomType type) {
    switch (type) {
    case MTMathAtomType::underline:
    case MTMathAtomType::overline:
    case MTMathAtomType::accent:
        return MTMathAtomType::ordinary;
    case MTMathAtomType::table:
        return MTMathAtomType::inner;
    default:
        return type;
    }
}

MTRange lineRange(const MTMathList* mathList) {
    if (!mathList || mathList->isEmpty())
        return {0, 0};
    return {0, mathList->atoms().back()->indexRange().end()};
}

} // namespace

MTMathListDisplayPtr MTTypesetter::createLineForMathList(const MTMathListPtr& mathList,
                                                         const std::shared_ptr<MTFont>& font,
                                                         MTLineStyle style) {
    // The nodes of a large formula's copy and display are taken from a pool.
    MTNodePool::Scope pool;
    return layoutFinalizedLine(mathList, MTNodePool::make<StyleFonts>(font), style);
}

MTMathListDisplayPtr MTTypesetter::createLineForMathList(const MTMathListPtr& mathList,
                                                         const std::shared_ptr<MTFont>& font,
                                                         MTLineStyle style, bool cramped, bool spaced) {
    return layoutLine(mathList, MTNodePool::make<StyleFonts>(font), style, cramped, spaced);
}

MTMathListDisplayPtr MTTypesetter::layoutFinalizedLine(const MTMathListPtr& mathList,
                                                       const std::shared_ptr<StyleFonts>& fonts,
                                                       MTLineStyle style) {
    return layoutLine(mathList ? mathList->finalized() : nullptr, fonts, style, false, false);
}

MTMathListDisplayPtr MTTypesetter::layoutLine(const MTMathListPtr& mathList,
                                              const std::shared_ptr<StyleFonts>& fonts, MTLineStyle style,
                                              bool cramped, bool spaced, qreal middleHeight) {
    MTTypesetter typesetter(fonts, style, cramped, spaced, middleHeight);
    typesetter.createDisplayAtoms(preprocessMathList(mathList.get()));
    return MTNodePool::make<MTMathListDisplay>(std::move(typesetter.m_displayAtoms),
                                               lineRange(mathList.get()));
}

std::vector<MTMathAtomPtr> MTTypesetter::preprocessMathList(const MTMathList* mathList) {
    std::vector<MTMathAtomPtr> result;
    if (!mathList)
        return result;
    result.reserve(mathList->size());
    MTMathAtom* previous = nullptr;
    for (const MTMathAtomPtr& atom : mathList->atoms()) {
        if (atom->type() == MTMathAtomType::variable || atom->type() == MTMathAtomType::number) {
            atom->setNucleus(changeFont(atom->nucleus(), atom->fontStyle()));
            atom->setType(MTMathAtomType::ordinary);
        } else if (atom->type() == MTMathAtomType::unaryOperator) {
            atom->setType(MTMathAtomType::ordinary);
        }
        if (atom->type() == MTMathAtomType::ordinary && previous &&
            previous->type() == MTMathAtomType::ordinary && !previous->subScript() &&
            !previous->superScript()) {
            previous->fuse(atom);
            continue;
        }
        previous = atom.get();
        result.push_back(atom);
    }
    return result;
}

qreal MTTypesetter::getStyleSize(MTLineStyle style, const MTFont* font) {
    const qreal base = font->fontSize();
    switch (style) {
    case MTLineStyle::script:
        return base * font->mathTable()->scriptScaleDown();
    case MTLineStyle::scriptOfScript:
        return base * font->mathTable()->scriptScriptScaleDown();
    default:
        return base;
    }
}

bool MTTypesetter::isSingleCharAccentee(const MTAccent* accent) {
    if (!accent || !accent->innerList() || accent->innerList()->size() != 1)
        return false;
    const MTMathAtom& accentee = *accent->innerList()->atoms().front();
    return isPlainCharacter(accentee.type()) && !accentee.subScript() && !accentee.superScript() &&
           graphemeClusters(accentee.nucleus()).size() == 1;
}

MTTypesetter::MTTypesetter(const std::shared_ptr<MTFont>& font, MTLineStyle style, bool cramped, bool spaced)
    : MTTypesetter(MTNodePool::make<StyleFonts>(font), style, cramped, spaced) {}

MTTypesetter::MTTypesetter(std::shared_ptr<StyleFonts> fonts, MTLineStyle style, bool cramped, bool spaced,
                           qreal middleHeight)
    : m_fonts(std::move(fonts)), m_style(style), m_cramped(cramped), m_spaced(spaced),
      m_middleHeight(middleHeight) {}

const std::shared_ptr<MTFont>& MTTypesetter::font() const {
    return m_fonts->font();
}

const std::shared_ptr<MTFont>& MTTypesetter::fontForStyle(MTLineStyle style) const {
    return m_fonts->at(style);
}

int MTTypesetter::getSpacingInMu(InterElementSpaceType type) const {
    const bool scriptStyle = !isNotScript(m_style);
    switch (type) {
    case InterElementSpaceType::invalid:
        return -1;
    case InterElementSpaceType::none:
        return 0;
    case InterElementSpaceType::thin:
        return 3;
    case InterElementSpaceType::nsThin:
        return scriptStyle ? 0 : 3;
    case InterElementSpaceType::nsMedium:
        return scriptStyle ? 0 : 4;
    case InterElementSpaceType::nsThick:
        return scriptStyle ? 0 : 5;
    }
    return 0;
}

qreal MTTypesetter::getInterElementSpace(MTMathAtomType left, MTMathAtomType right) const {
    const auto row = getInterElementSpaceArrayIndexForType(left, true);
    const auto column = getInterElementSpaceArrayIndexForType(right, false);
    if (!row || !column)
        return 0;
    const int mu = getSpacingInMu(getInterElementSpaces()[*row][*column]);
    return mu > 0 ? mu * styleFont()->mathTable()->muUnit() : 0;
}

void MTTypesetter::addInterElementSpace(const MTMathAtom* previous, MTMathAtomType currentType) {
    if (previous)
        m_currentPosition.rx() += getInterElementSpace(previous->type(), currentType);
    else if (m_spaced)
        m_currentPosition.rx() += getInterElementSpace(MTMathAtomType::open, currentType);
}

std::shared_ptr<MTCTLineDisplay> MTTypesetter::addDisplayLine() {
    m_currentLine.setFont(styleFont()->ctFont());
    m_currentLine.setStyle(m_style);
    auto display = MTNodePool::make<MTCTLineDisplay>(std::move(m_currentLine), m_currentPosition,
                                                     m_currentLineIndexRange, std::move(m_currentAtoms));
    m_displayAtoms.push_back(display);
    m_currentPosition.rx() += display->width();
    m_currentLine = MTAttributedString();
    m_currentAtoms.clear();
    m_currentLineIndexRange = {MTRange::notFound, MTRange::notFound};
    return display;
}

void MTTypesetter::flush() {
    if (!m_currentLine.isEmpty())
        addDisplayLine();
}

void MTTypesetter::createDisplayAtoms(const std::vector<MTMathAtomPtr>& atoms) {
    MTMathAtomPtr previous;
    std::optional<MTMathAtomType> lastType;
    for (const MTMathAtomPtr& atom : atoms) {
        switch (atom->type()) {
        case MTMathAtomType::ordinary:
        case MTMathAtomType::binaryOperator:
        case MTMathAtomType::relation:
        case MTMathAtomType::open:
        case MTMathAtomType::close:
        case MTMathAtomType::punctuation:
        case MTMathAtomType::placeholder:
            addTextAtom(atom, previous.get());
            break;
        case MTMathAtomType::largeOperator:
            addLargeOperator(atom, previous.get());
            break;
        case MTMathAtomType::radical:
            addRadical(atom, previous.get());
            break;
        case MTMathAtomType::fraction:
        case MTMathAtomType::inner:
        case MTMathAtomType::underline:
        case MTMathAtomType::overline:
        case MTMathAtomType::accent:
        case MTMathAtomType::table:
            addConstruct(atom, previous.get());
            break;
        case MTMathAtomType::space:
            flush();
            m_currentPosition.rx() +=
                static_cast<const MTMathSpace&>(*atom).space() * styleFont()->mathTable()->muUnit();
            continue;
        case MTMathAtomType::style:
            flush();
            m_style = static_cast<const MTMathStyle&>(*atom).style();
            continue;
        case MTMathAtomType::color:
        case MTMathAtomType::textcolor:
        case MTMathAtomType::colorBox:
            addColorAtom(static_cast<const MTColorAtom&>(*atom), previous.get());
            break;
        case MTMathAtomType::number:
        case MTMathAtomType::variable:
        case MTMathAtomType::unaryOperator:
        case MTMathAtomType::boundary:
            // Preprocessing turns the first three into ordinary atoms and lists never hold boundaries: such
            // an atom draws nothing and leaves the spacing as it was.
            continue;
        }
        lastType = atom->type();
        previous = atom;
    }
    flush();
    if (m_spaced && lastType && !m_displayAtoms.empty()) {
        MTDisplay& last = *m_displayAtoms.back();
        last.setWidth(last.width() + getInterElementSpace(*lastType, MTMathAtomType::close));
    }
}

void MTTypesetter::addTextAtom(const MTMathAtomPtr& atom, const MTMathAtom* previous) {
    if (previous) {
        const qreal space = getInterElementSpace(previous->type(), atom->type());
        if (m_currentLine.isEmpty())
            m_currentPosition.rx() += space;
        else if (space > 0)
            m_currentLine.kernLastCharacter(space);
    }
    if (atom->type() == MTMathAtomType::placeholder)
        m_currentLine.append(atom->nucleus(), placeholderColor());
    else
        m_currentLine.append(atom->nucleus());

    if (m_currentLineIndexRange.location == MTRange::notFound)
        m_currentLineIndexRange = atom->indexRange();
    else
        m_currentLineIndexRange.length += atom->indexRange().length;

    if (atom->fusedAtoms().empty())
        m_currentAtoms.push_back(atom);
    else
        m_currentAtoms.insert(m_currentAtoms.end(), atom->fusedAtoms().begin(), atom->fusedAtoms().end());

    if (!atom->subScript() && !atom->superScript())
        return;
    addRunScripts(*atom, *addDisplayLine(), atom->indexRange().end() - 1);
}

void MTTypesetter::addRunScripts(const MTMathAtom& atom, MTDisplay& run, qint64 index) {
    const qreal delta = italicCorrectionOfLastCharacter(atom.nucleus());
    // A lone superscript clears the slant of the last character; a subscript stays tucked under it.
    if (delta > 0 && !atom.subScript())
        m_currentPosition.rx() += delta;
    makeScripts(atom, run, index, delta);
}

qsizetype MTTypesetter::lastCharacterIndex(const QString& text) {
    const qsizetype last = text.size() - 1;
    if (last > 0 && text.at(last).isLowSurrogate() && text.at(last - 1).isHighSurrogate())
        return last - 1;
    return std::max<qsizetype>(last, 0);
}

qreal MTTypesetter::italicCorrectionOfLastCharacter(const QString& nucleus) const {
    if (nucleus.isEmpty())
        return 0;
    const CharacterGlyph last = glyphForCharacter(nucleus, lastCharacterIndex(nucleus));
    return last.font->mathTable()->getItalicCorrection(last.glyph);
}

void MTTypesetter::addLargeOperator(const MTMathAtomPtr& atom, const MTMathAtom* previous) {
    flush();
    addInterElementSpace(previous, MTMathAtomType::largeOperator);
    m_displayAtoms.push_back(makeLargeOp(std::static_pointer_cast<MTLargeOperator>(atom)));
}

void MTTypesetter::addRadical(const MTMathAtomPtr& atom, const MTMathAtom* previous) {
    flush();
    // A radical has a row of its own in the spacing table but no column: on the right it is ordinary.
    addInterElementSpace(previous, MTMathAtomType::ordinary);
    const auto& radical = static_cast<const MTRadical&>(*atom);
    auto display = makeRadical(radical.radicand(), atom->indexRange());
    if (radical.degree())
        display->setDegree(layoutFinalizedLine(radical.degree(), m_fonts, MTLineStyle::scriptOfScript),
                           *styleFont()->mathTable());
    appendAtPen(display, *atom);
}

void MTTypesetter::addConstruct(const MTMathAtomPtr& atom, const MTMathAtom* previous) {
    flush();
    const MTMathAtomType type = atom->type();
    const MTMathAtomType spacingType = spacingTypeOfConstruct(type);
    addInterElementSpace(previous, spacingType);
    atom->setType(spacingType);
    switch (type) {
    case MTMathAtomType::fraction:
        appendAtPen(makeFraction(static_cast<const MTFraction&>(*atom)), *atom);
        break;
    case MTMathAtomType::inner: {
        const auto& inner = static_cast<const MTInner&>(*atom);
        if (inner.isMiddle())
            appendAtPen(
                findGlyphForBoundary(inner.leftBoundary() ? inner.leftBoundary()->nucleus() : QString(),
                                     m_middleHeight),
                *atom);
        else if (inner.leftBoundary() || inner.rightBoundary())
            appendAtPen(makeLeftRight(inner), *atom);
        else
            appendAtPen(layoutNested(inner.innerList(), m_style, m_cramped), *atom);
        break;
    }
    case MTMathAtomType::underline:
        appendAtPen(makeUnderline(static_cast<const MTUnderLine&>(*atom)), *atom);
        break;
    case MTMathAtomType::overline:
        appendAtPen(makeOverline(static_cast<const MTOverLine&>(*atom)), *atom);
        break;
    case MTMathAtomType::accent:
        appendAtPen(makeAccent(static_cast<MTAccent&>(*atom)), *atom);
        break;
    case MTMathAtomType::table: {
        // A table takes no scripts.
        auto display = makeTable(static_cast<const MTMathTable&>(*atom));
        m_displayAtoms.push_back(display);
        m_currentPosition.rx() += display->width();
        break;
    }
    default:
        break;
    }
}

MTMathListDisplayPtr MTTypesetter::layoutNested(const MTMathListPtr& list, MTLineStyle style, bool cramped,
                                                bool spaced) const {
    return layoutLine(list, m_fonts, style, cramped, spaced);
}

void MTTypesetter::appendAtPen(const MTDisplayPtr& display, const MTMathAtom& atom) {
    display->setPosition(m_currentPosition);
    m_displayAtoms.push_back(display);
    m_currentPosition.rx() += display->width();
    if (atom.subScript() || atom.superScript())
        makeScripts(atom, *display, atom.indexRange().location, 0);
}

void MTTypesetter::addColorAtom(const MTColorAtom& atom, const MTMathAtom* previous) {
    flush();
    auto display = layoutFinalizedLine(atom.innerList(), m_fonts, m_style);
    const std::optional<QColor> color = colorFromHexString(atom.colorString());
    if (atom.type() == MTMathAtomType::colorBox) {
        display->setLocalBackgroundColor(color);
    } else {
        display->setLocalTextColor(color);
    }
    if (atom.type() == MTMathAtomType::textcolor && previous && !display->subDisplays().empty()) {
        const auto* line = dynamic_cast<const MTCTLineDisplay*>(display->subDisplays().front().get());
        if (line && !line->atoms().empty())
            m_currentPosition.rx() += getInterElementSpace(previous->type(), line->atoms().front()->type());
    }
    display->setPosition(m_currentPosition);
    m_currentPosition.rx() += display->width();
    m_displayAtoms.push_back(display);
}

} // namespace zepla::math
