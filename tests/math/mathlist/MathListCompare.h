// Structural equality of math lists for the tests: types, classes, nuclei, font styles, scripts and
// every subclass field, recursively. On a difference `why` tells where.
#pragma once

#include "mathlist/MTMathList.h"

#include <QString>

#include <typeinfo>

namespace zepla::math::testing {

bool equalLists(const MTMathList* a, const MTMathList* b, QString* why, const QString& path = QStringLiteral("list"));

inline bool differ(QString* why, const QString& path, const QString& what) {
    if (why)
        *why = path + QStringLiteral(": ") + what;
    return false;
}

inline bool equalAtoms(const MTMathAtom* a, const MTMathAtom* b, QString* why, const QString& path) {
    if (!a || !b)
        return a == b ? true : differ(why, path, QStringLiteral("one atom missing"));
    if (typeid(*a) != typeid(*b))
        return differ(why, path, QStringLiteral("class %1 vs %2").arg(typeid(*a).name(), typeid(*b).name()));
    if (a->type() != b->type())
        return differ(why, path, QStringLiteral("type %1 vs %2").arg(rawValue(a->type())).arg(rawValue(b->type())));
    if (a->nucleus() != b->nucleus())
        return differ(why, path, QStringLiteral("nucleus '%1' vs '%2'").arg(a->nucleus(), b->nucleus()));
    if (a->fontStyle() != b->fontStyle())
        return differ(why, path, QStringLiteral("font style %1 vs %2").arg(rawValue(a->fontStyle())).arg(rawValue(b->fontStyle())));
    if (!equalLists(a->superScript().get(), b->superScript().get(), why, path + QStringLiteral("^")))
        return false;
    if (!equalLists(a->subScript().get(), b->subScript().get(), why, path + QStringLiteral("_")))
        return false;
    if (auto* fa = dynamic_cast<const MTFraction*>(a)) {
        auto* fb = static_cast<const MTFraction*>(b);
        if (fa->hasRule() != fb->hasRule() || fa->leftDelimiter() != fb->leftDelimiter() ||
            fa->rightDelimiter() != fb->rightDelimiter())
            return differ(why, path, QStringLiteral("fraction rule or delimiters"));
        return equalLists(fa->numerator().get(), fb->numerator().get(), why, path + QStringLiteral("/num")) &&
               equalLists(fa->denominator().get(), fb->denominator().get(), why, path + QStringLiteral("/den"));
    }
    if (auto* ra = dynamic_cast<const MTRadical*>(a)) {
        auto* rb = static_cast<const MTRadical*>(b);
        return equalLists(ra->radicand().get(), rb->radicand().get(), why, path + QStringLiteral("/radicand")) &&
               equalLists(ra->degree().get(), rb->degree().get(), why, path + QStringLiteral("/degree"));
    }
    if (auto* oa = dynamic_cast<const MTLargeOperator*>(a)) {
        if (oa->limits() != static_cast<const MTLargeOperator*>(b)->limits())
            return differ(why, path, QStringLiteral("limits"));
        return true;
    }
    if (auto* ia = dynamic_cast<const MTInner*>(a)) {
        auto* ib = static_cast<const MTInner*>(b);
        return equalAtoms(ia->leftBoundary().get(), ib->leftBoundary().get(), why, path + QStringLiteral("/left")) &&
               equalAtoms(ia->rightBoundary().get(), ib->rightBoundary().get(), why, path + QStringLiteral("/right")) &&
               equalLists(ia->innerList().get(), ib->innerList().get(), why, path + QStringLiteral("/inner"));
    }
    if (auto* ca = dynamic_cast<const MTColorAtom*>(a)) {
        if (ca->colorString() != static_cast<const MTColorAtom*>(b)->colorString())
            return differ(why, path, QStringLiteral("colour"));
    }
    if (auto* la = dynamic_cast<const MTInnerListAtom*>(a)) {
        return equalLists(la->innerList().get(), static_cast<const MTInnerListAtom*>(b)->innerList().get(), why,
                          path + QStringLiteral("/inner"));
    }
    if (auto* sa = dynamic_cast<const MTMathSpace*>(a)) {
        if (sa->space() != static_cast<const MTMathSpace*>(b)->space())
            return differ(why, path, QStringLiteral("space"));
        return true;
    }
    if (auto* sa = dynamic_cast<const MTMathStyle*>(a)) {
        if (sa->style() != static_cast<const MTMathStyle*>(b)->style())
            return differ(why, path, QStringLiteral("style"));
        return true;
    }
    if (auto* ta = dynamic_cast<const MTMathTable*>(a)) {
        auto* tb = static_cast<const MTMathTable*>(b);
        if (ta->environment() != tb->environment() || ta->interColumnSpacing() != tb->interColumnSpacing() ||
            ta->interRowAdditionalSpacing() != tb->interRowAdditionalSpacing() || ta->alignments() != tb->alignments())
            return differ(why, path, QStringLiteral("table fields"));
        if (ta->cells().size() != tb->cells().size())
            return differ(why, path, QStringLiteral("row count"));
        for (std::size_t r = 0; r < ta->cells().size(); ++r) {
            if (ta->cells()[r].size() != tb->cells()[r].size())
                return differ(why, path, QStringLiteral("cell count in row %1").arg(r));
            for (std::size_t c = 0; c < ta->cells()[r].size(); ++c)
                if (!equalLists(ta->cells()[r][c].get(), tb->cells()[r][c].get(), why,
                                path + QStringLiteral("/cell%1,%2").arg(r).arg(c)))
                    return false;
        }
    }
    return true;
}

inline bool equalLists(const MTMathList* a, const MTMathList* b, QString* why, const QString& path) {
    if (!a || !b)
        return a == b ? true : differ(why, path, QStringLiteral("one list missing"));
    if (a->size() != b->size())
        return differ(why, path, QStringLiteral("%1 atoms vs %2: %3 vs %4").arg(a->size()).arg(b->size()).arg(a->description(), b->description()));
    for (std::size_t i = 0; i < a->size(); ++i)
        if (!equalAtoms(a->atoms()[i].get(), b->atoms()[i].get(), why, path + QStringLiteral("[%1]").arg(i)))
            return false;
    return true;
}

} // namespace zepla::math::testing
