// The LaTeX writer, with Zepla's mends (see MTMathListBuilder.h).
#include "mathlist/MTMathAtomFactory.h"
#include "mathlist/MTMathListBuilder.h"

#include <mutex>

namespace zepla::math {

namespace {

const QString kColon = QString(QChar(0x2236));
const QString kMinus = QString(QChar(0x2212));

void writeList(const std::vector<MTMathAtomPtr>& atoms, std::size_t from, QString& out);

void writeList(const MTMathList* list, QString& out) {
    if (list)
        writeList(list->atoms(), 0, out);
}

void writeNucleus(const MTMathAtom& atom, QString& out) {
    const QString& nucleus = atom.nucleus();
    if (nucleus.isEmpty()) {
        out += QStringLiteral("{}");
    } else if (nucleus == kColon) {
        out += QLatin1Char(':');
    } else if (nucleus == kMinus) {
        out += QLatin1Char('-');
    } else if (const auto name = MTMathAtomFactory::latexSymbolNameForAtom(atom)) {
        out += QLatin1Char('\\') + *name + QLatin1Char(' ');
    } else {
        out += nucleus;
    }
}

QString fractionCommand(const MTFraction& frac) {
    const QString& l = frac.leftDelimiter();
    const QString& r = frac.rightDelimiter();
    if (l.isEmpty() && r.isEmpty())
        return QStringLiteral("atop");
    if (l == u"(" && r == u")")
        return QStringLiteral("choose");
    if (l == u"{" && r == u"}")
        return QStringLiteral("brace");
    if (l == u"[" && r == u"]")
        return QStringLiteral("brack");
    return QStringLiteral("atopwithdelims") + l + r;
}

void writeTable(const MTMathTable& table, QString& out) {
    const QString& env = table.environment();
    if (!env.isEmpty())
        out += QStringLiteral("\\begin{") + env + QLatin1Char('}');
    // The atoms that the table builder put in the cells are left out of the text.
    const bool styleFirst = env == u"matrix" || env == u"cases";
    const bool spacerSecond = env == u"eqalign" || env == u"aligned" || env == u"split";
    const auto& rows = table.cells();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const auto& row = rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            const MTMathList* cell = row[c].get();
            std::size_t from = 0;
            if (cell && !cell->isEmpty()) {
                const MTMathAtom& first = *cell->atoms().front();
                if (styleFirst && first.type() == MTMathAtomType::style)
                    from = 1;
                else if (spacerSecond && c == 1 && first.type() == MTMathAtomType::ordinary &&
                         first.nucleus().isEmpty())
                    from = 1;
            }
            if (cell)
                writeList(cell->atoms(), from, out);
            if (c + 1 < row.size())
                out += QLatin1Char('&');
        }
        if (r + 1 < rows.size())
            out += QStringLiteral("\\\\ ");
    }
    if (!env.isEmpty())
        out += QStringLiteral("\\end{") + env + QLatin1Char('}');
}

// The inner atom that the table builder makes for "cases": "{" and "." round a thin space and the table.
const MTMathTable* casesTable(const MTInner& inner) {
    const MTMathList* list = inner.innerList().get();
    if (!list || list->size() != 2 || !inner.leftBoundary() || !inner.rightBoundary())
        return nullptr;
    if (inner.leftBoundary()->type() != MTMathAtomType::boundary || inner.leftBoundary()->nucleus() != u"{" ||
        inner.rightBoundary()->type() != MTMathAtomType::boundary ||
        !inner.rightBoundary()->nucleus().isEmpty())
        return nullptr;
    const auto* space = dynamic_cast<const MTMathSpace*>(list->atoms()[0].get());
    const auto* table = dynamic_cast<const MTMathTable*>(list->atoms()[1].get());
    if (!space || space->space() != 3 || !table || table->environment() != u"cases")
        return nullptr;
    return table;
}

void writeAtom(const MTMathAtom& atom, QString& out) {
    switch (atom.type()) {
    case MTMathAtomType::fraction: {
        const auto* fracPtr = dynamic_cast<const MTFraction*>(&atom);
        if (!fracPtr)
            break;
        const auto& frac = *fracPtr;
        if (frac.hasRule()) {
            out += QStringLiteral("\\frac{");
            writeList(frac.numerator().get(), out);
            out += QStringLiteral("}{");
            writeList(frac.denominator().get(), out);
            out += QLatin1Char('}');
        } else {
            out += QLatin1Char('{');
            writeList(frac.numerator().get(), out);
            out += QStringLiteral(" \\") + fractionCommand(frac) + QLatin1Char(' ');
            writeList(frac.denominator().get(), out);
            out += QLatin1Char('}');
        }
        return;
    }
    case MTMathAtomType::radical: {
        const auto* radPtr = dynamic_cast<const MTRadical*>(&atom);
        if (!radPtr)
            break;
        const auto& rad = *radPtr;
        out += QStringLiteral("\\sqrt");
        if (rad.degree()) {
            out += QLatin1Char('[');
            writeList(rad.degree().get(), out);
            out += QLatin1Char(']');
        }
        out += QLatin1Char('{');
        writeList(rad.radicand().get(), out);
        out += QLatin1Char('}');
        return;
    }
    case MTMathAtomType::inner: {
        const auto* innerPtr = dynamic_cast<const MTInner*>(&atom);
        if (!innerPtr)
            break;
        const auto& inner = *innerPtr;
        if (inner.isMiddle() && inner.leftBoundary()) {
            out += QStringLiteral("\\middle") + MTMathListBuilder::delimToString(*inner.leftBoundary()) +
                   QLatin1Char(' ');
            return;
        }
        if (const MTMathTable* cases = casesTable(inner)) {
            writeTable(*cases, out);
            return;
        }
        if (!inner.leftBoundary() && !inner.rightBoundary()) {
            out += QLatin1Char('{');
            writeList(inner.innerList().get(), out);
            out += QLatin1Char('}');
            return;
        }
        if (inner.leftBoundary())
            out += QStringLiteral("\\left") + MTMathListBuilder::delimToString(*inner.leftBoundary()) +
                   QLatin1Char(' ');
        else
            out += QStringLiteral("\\left. ");
        writeList(inner.innerList().get(), out);
        if (inner.rightBoundary())
            out += QStringLiteral("\\right") + MTMathListBuilder::delimToString(*inner.rightBoundary()) +
                   QLatin1Char(' ');
        else
            out += QStringLiteral("\\right. ");
        return;
    }
    case MTMathAtomType::underline:
    case MTMathAtomType::overline: {
        const auto* linePtr = dynamic_cast<const MTInnerListAtom*>(&atom);
        if (!linePtr)
            break;
        const auto& line = *linePtr;
        out += atom.type() == MTMathAtomType::underline ? QStringLiteral("\\underline{")
                                                        : QStringLiteral("\\overline{");
        writeList(line.innerList().get(), out);
        out += QLatin1Char('}');
        return;
    }
    case MTMathAtomType::accent: {
        const auto* accentPtr = dynamic_cast<const MTAccent*>(&atom);
        if (!accentPtr)
            break;
        const auto& accent = *accentPtr;
        // An accent whose character has no name (only possible in code) is written as its accentee.
        if (const auto name = MTMathAtomFactory::accentName(accent))
            out += (accent.isWide() ? QStringLiteral("\\wide") : QStringLiteral("\\")) + *name;
        out += QLatin1Char('{');
        writeList(accent.innerList().get(), out);
        out += QLatin1Char('}');
        return;
    }
    case MTMathAtomType::largeOperator: {
        const auto name = MTMathAtomFactory::latexSymbolNameForAtom(atom);
        if (!name) { // an operator built in code with a text of its own: its text
            writeNucleus(atom, out);
            return;
        }
        out += QLatin1Char('\\') + *name + QLatin1Char(' ');
        const auto* op = dynamic_cast<const MTLargeOperator*>(&atom);
        const auto vocabulary =
            std::dynamic_pointer_cast<MTLargeOperator>(MTMathAtomFactory::atomForLatexSymbol(*name));
        const bool limits = op && op->limits();
        const bool vocabularyLimits = vocabulary && vocabulary->limits();
        if (limits != vocabularyLimits)
            out += limits ? QStringLiteral("\\limits ") : QStringLiteral("\\nolimits ");
        return;
    }
    case MTMathAtomType::space: {
        const auto* spacePtr = dynamic_cast<const MTMathSpace*>(&atom);
        if (!spacePtr)
            break;
        const auto& space = *spacePtr;
        for (const auto& [width, command] : MTMathListBuilder::spaceToCommands()) {
            if (width == space.space()) {
                out += QLatin1Char('\\') + command + QLatin1Char(' ');
                return;
            }
        }
        out += QString::asprintf("\\mkern%.1fmu", space.space());
        return;
    }
    case MTMathAtomType::style:
        if (const auto* style = dynamic_cast<const MTMathStyle*>(&atom)) {
            out += QLatin1Char('\\') + MTMathListBuilder::styleToCommand(style->style()) + QLatin1Char(' ');
            return;
        }
        break;
    case MTMathAtomType::table:
        if (const auto* table = dynamic_cast<const MTMathTable*>(&atom)) {
            writeTable(*table, out);
            return;
        }
        break;
    case MTMathAtomType::color:
    case MTMathAtomType::textcolor:
    case MTMathAtomType::colorBox: {
        const auto* colorPtr = dynamic_cast<const MTColorAtom*>(&atom);
        if (!colorPtr)
            break;
        const auto& color = *colorPtr;
        out += atom.type() == MTMathAtomType::color       ? QStringLiteral("\\color{")
               : atom.type() == MTMathAtomType::textcolor ? QStringLiteral("\\textcolor{")
                                                          : QStringLiteral("\\colorbox{");
        out += color.colorString() + QStringLiteral("}{");
        writeList(color.innerList().get(), out);
        out += QLatin1Char('}');
        return;
    }
    default:
        break;
    }
    writeNucleus(atom, out);
}

// The primes that begin a superscript, written back as the apostrophes they are read from; returns how many
// atoms they take.
std::size_t writePrimes(const MTMathList& superScript, QString& out) {
    std::size_t count = 0;
    for (const MTMathAtomPtr& atom : superScript.atoms()) {
        const QString& nucleus = atom->nucleus();
        const bool prime = atom->type() == MTMathAtomType::ordinary && nucleus.size() == 1 &&
                           nucleus[0].unicode() == 0x2032 && !atom->superScript() && !atom->subScript();
        if (!prime)
            break;
        out += QLatin1Char('\'');
        ++count;
    }
    return count;
}

void writeList(const std::vector<MTMathAtomPtr>& atoms, std::size_t from, QString& out) {
    MTFontStyle current = MTFontStyle::defaultStyle;
    for (std::size_t i = from; i < atoms.size(); ++i) {
        const MTMathAtom* atom = atoms[i].get();
        if (!atom)
            continue;
        if (atom->fontStyle() != current) {
            if (current != MTFontStyle::defaultStyle)
                out += QLatin1Char('}');
            if (atom->fontStyle() != MTFontStyle::defaultStyle)
                out += QLatin1Char('\\') + MTMathAtomFactory::fontNameForStyle(atom->fontStyle()) +
                       QLatin1Char('{');
            current = atom->fontStyle();
        }
        writeAtom(*atom, out);
        if (atom->superScript() || atom->subScript()) {
            // Close the font group first, so that the scripts read back in their own styles.
            if (current != MTFontStyle::defaultStyle) {
                out += QLatin1Char('}');
                current = MTFontStyle::defaultStyle;
            }
            if (const MTMathList* super = atom->superScript().get()) {
                const std::size_t primes = writePrimes(*super, out);
                if (primes < super->atoms().size()) {
                    out += QStringLiteral("^{");
                    writeList(super->atoms(), primes, out);
                    out += QLatin1Char('}');
                }
            }
            if (atom->subScript()) {
                out += QStringLiteral("_{");
                writeList(atom->subScript().get(), out);
                out += QLatin1Char('}');
            }
        }
    }
    if (current != MTFontStyle::defaultStyle)
        out += QLatin1Char('}');
}

} // namespace

QString MTMathListBuilder::mathListToString(const MTMathList* list) {
    QString out;
    if (list) {
        out.reserve(static_cast<qsizetype>(list->size()) * 4);
        writeList(list, out);
    }
    return out;
}

QString MTMathListBuilder::delimToString(const MTMathAtom& delimiter) {
    const auto name = MTMathAtomFactory::getDelimiterName(delimiter);
    if (!name)
        return QString();
    static const QStringList plain = {QStringLiteral("("), QStringLiteral(")"), QStringLiteral("["),
                                      QStringLiteral("]"), QStringLiteral("<"), QStringLiteral(">"),
                                      QStringLiteral("|"), QStringLiteral("."), QStringLiteral("/")};
    if (plain.contains(*name))
        return *name;
    if (*name == u"||")
        return QStringLiteral("\\|");
    return QLatin1Char('\\') + *name;
}

const std::vector<std::pair<double, QString>>& MTMathListBuilder::spaceToCommands() {
    static std::once_flag once;
    static const std::vector<std::pair<double, QString>>* table = nullptr;
    std::call_once(once, [] {
        table = new std::vector<std::pair<double, QString>>{
            {3, QStringLiteral(",")},  {4, QStringLiteral(">")},     {5, QStringLiteral(";")},
            {-3, QStringLiteral("!")}, {18, QStringLiteral("quad")}, {36, QStringLiteral("qquad")},
        };
    });
    return *table;
}

QString MTMathListBuilder::styleToCommand(MTLineStyle style) {
    switch (style) {
    case MTLineStyle::display:
        return QStringLiteral("displaystyle");
    case MTLineStyle::text:
        return QStringLiteral("textstyle");
    case MTLineStyle::script:
        return QStringLiteral("scriptstyle");
    case MTLineStyle::scriptOfScript:
        return QStringLiteral("scriptscriptstyle");
    }
    return QStringLiteral("displaystyle");
}

} // namespace zepla::math
