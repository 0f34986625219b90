// The math model: atoms, their subclasses, math lists, deep copies,
// finalization and fusing, textual descriptions.
//
// Objects are reference-counted (std::shared_ptr). A list holds strong references to its atoms, an
// atom to its script lists and to the lists and atoms of its subclass fields; lists share atoms only
// when told to (append(), the atoms constructor), and copying is always explicit: copy(), the copy
// constructors, MTMathList::deepCopy(), finalized().
//
// Programming errors against the model throw MTMathException (name "Error"); nothing that the
// factory or the parser builds can throw it. The classes take no locks: an object graph is used by
// one thread at a time.
#pragma once

#include "mathlist/MTEnums.h"

#include <QString>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace zepla::math {

class MTMathAtom;
class MTMathList;
using MTMathAtomPtr = std::shared_ptr<MTMathAtom>;
using MTMathListPtr = std::shared_ptr<MTMathList>;

// A programming error against the model (an exception named "Error").
class MTMathException : public std::runtime_error {
public:
    explicit MTMathException(const QString& reason);
    // Always "Error".
    QString name() const { return QStringLiteral("Error"); }
    const QString& reason() const { return m_reason; }

private:
    QString m_reason;
};

// One atom: a type, a nucleus, optional scripts, a font style, its range in the finalized list and
// the atoms it was fused from. Plain atoms (ordinary, number, variable, operators, relation, open,
// close, punctuation, placeholder, boundary) are instances of this class; the other types have a
// subclass each, and an atom of such a type is always an instance of it.
class MTMathAtom {
protected:
    // Names the shallow copy constructors: public, so that make_shared can reach them, yet callable
    // only from the atom classes, which alone can name the tag.
    struct ShallowTag {};

public:
    // Every default: type ordinary, empty nucleus, no scripts.
    MTMathAtom();
    // Every default, then the type and nucleus = value (kept empty for type radical).
    MTMathAtom(MTMathAtomType type, const QString& value);
    // The base copy: type, nucleus, index range and font style as they are, scripts deep-copied,
    // fusedAtoms a new list of the same atom objects. Always gives a plain MTMathAtom.
    MTMathAtom(const MTMathAtom& other);
    // A copy with every field taken over but the lists shared, not copied; finalized() and the
    // subclasses' copies start from it.
    MTMathAtom(const MTMathAtom& other, ShallowTag);
    MTMathAtom& operator=(const MTMathAtom&) = delete;
    virtual ~MTMathAtom();

    MTMathAtomType type() const { return m_type; }
    void setType(MTMathAtomType type) { m_type = type; }

    // Setting a list on an atom whose type takes no scripts resets the field to none and throws
    // "Subscripts not allowed for atom of type <description>"; setting none is always accepted.
    const MTMathListPtr& subScript() const { return m_subScript; }
    void setSubScript(MTMathListPtr list);
    // As setSubScript, with "Superscripts not allowed for atom of type <description>".
    const MTMathListPtr& superScript() const { return m_superScript; }
    void setSuperScript(MTMathListPtr list);

    const QString& nucleus() const { return m_nucleus; }
    // Stores the text; an atom of type radical keeps an empty nucleus.
    void setNucleus(const QString& nucleus);

    MTRange indexRange() const { return m_indexRange; }
    void setIndexRange(MTRange range) { m_indexRange = range; }

    MTFontStyle fontStyle() const { return m_fontStyle; }
    void setFontStyle(MTFontStyle style) { m_fontStyle = style; }

    const std::vector<MTMathAtomPtr>& fusedAtoms() const;
    void setFusedAtoms(std::vector<MTMathAtomPtr> atoms);

    // A copy of the atom, of its own class, that shares no list with it.
    virtual MTMathAtomPtr copy() const;
    // A finalized copy: every nested list finalized, scripts through the checked setters.
    virtual MTMathAtomPtr finalized() const;
    // The nucleus followed by the scripts ("^{...}", "_{...}"), each script list as its string.
    virtual QString string() const;
    // The nucleus followed by "^{<superscript list description>}" and "_{<subscript list description>}".
    virtual QString description() const;
    // Merges `other` into this atom when this atom has no scripts and both types are equal;
    // otherwise writes "Can't fuse these 2 atoms" to standard output and changes nothing.
    virtual void fuse(const MTMathAtomPtr& other);

    bool isScriptAllowed() const { return zepla::math::isScriptAllowed(m_type); }
    bool isNotBinaryOperator() const { return zepla::math::isNotBinaryOperator(m_type); }

protected:
    virtual MTMathAtomPtr shallowCopy() const;
    // The base part of finalized(): a shallow copy whose scripts are the finalized scripts of this atom.
    MTMathAtomPtr finalizedBase() const;
    // The scripts as description() writes them.
    QString scriptsDescription() const;

    // A formula holds many atoms and few of them are fused: the fields are packed and the fused atoms
    // live apart, made by the first fusion.
    MTMathAtomType m_type = MTMathAtomType::ordinary;
    MTFontStyle m_fontStyle = MTFontStyle::defaultStyle;
    MTMathListPtr m_subScript;
    MTMathListPtr m_superScript;
    QString m_nucleus;
    MTRange m_indexRange;
    std::unique_ptr<std::vector<MTMathAtomPtr>> m_fusedAtoms;
};

// True when there is no previous atom or a binary operator cannot follow its type.
bool isNotBinaryOperator(const MTMathAtom* previous);

// A fraction; the fraction bar is drawn when hasRule; leftDelimiter/rightDelimiter (empty for none)
// are drawn round it.
class MTFraction : public MTMathAtom {
public:
    explicit MTFraction(bool hasRule = true);
    MTFraction(const MTFraction& other);
    MTFraction(const MTFraction& other, ShallowTag);

    bool hasRule() const { return m_hasRule; }
    void setHasRule(bool hasRule) { m_hasRule = hasRule; }
    const QString& leftDelimiter() const { return m_leftDelimiter; }
    void setLeftDelimiter(const QString& d) { m_leftDelimiter = d; }
    const QString& rightDelimiter() const { return m_rightDelimiter; }
    void setRightDelimiter(const QString& d) { m_rightDelimiter = d; }
    const MTMathListPtr& numerator() const { return m_numerator; }
    void setNumerator(MTMathListPtr list) { m_numerator = std::move(list); }
    const MTMathListPtr& denominator() const { return m_denominator; }
    void setDenominator(MTMathListPtr list) { m_denominator = std::move(list); }

    MTMathAtomPtr copy() const override;
    MTMathAtomPtr finalized() const override;
    // "\frac" or "\atop", "[<left>]", "[<right>]", "{<numerator>}{<denominator>}", scripts.
    QString description() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;

private:
    bool m_hasRule = true;
    QString m_leftDelimiter;
    QString m_rightDelimiter;
    MTMathListPtr m_numerator;
    MTMathListPtr m_denominator;
};

// A radical: radicand and optional degree. The nucleus is always empty.
class MTRadical : public MTMathAtom {
public:
    MTRadical();
    MTRadical(const MTRadical& other);
    MTRadical(const MTRadical& other, ShallowTag);

    const MTMathListPtr& radicand() const { return m_radicand; }
    void setRadicand(MTMathListPtr list) { m_radicand = std::move(list); }
    const MTMathListPtr& degree() const { return m_degree; }
    void setDegree(MTMathListPtr list) { m_degree = std::move(list); }

    MTMathAtomPtr copy() const override;
    MTMathAtomPtr finalized() const override;
    // "\sqrt", "[<degree>]", "{<radicand>}", scripts.
    QString description() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;

private:
    MTMathListPtr m_radicand;
    MTMathListPtr m_degree;
};

// A large operator (sum, integral, lim, sin, ...); limits: the scripts may go above and below.
class MTLargeOperator : public MTMathAtom {
public:
    MTLargeOperator(const QString& value, bool limits);
    MTLargeOperator(const MTLargeOperator& other);
    MTLargeOperator(const MTLargeOperator& other, ShallowTag);

    bool limits() const { return m_limits; }
    void setLimits(bool limits) { m_limits = limits; }

    MTMathAtomPtr copy() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;

private:
    bool m_limits = false;
};

// A \left...\right group. Both boundaries, when set, are atoms of type boundary whose nucleus is the
// delimiter text.
class MTInner : public MTMathAtom {
public:
    MTInner();
    // Copies; a missing boundary of the source becomes a default atom (ordinary, empty nucleus).
    MTInner(const MTInner& other);
    MTInner(const MTInner& other, ShallowTag);

    const MTMathListPtr& innerList() const { return m_innerList; }
    void setInnerList(MTMathListPtr list) { m_innerList = std::move(list); }
    const MTMathAtomPtr& leftBoundary() const { return m_leftBoundary; }
    // An atom not of type boundary resets the field to none and throws
    // "Left boundary must be of type .boundary"; none is always accepted.
    void setLeftBoundary(MTMathAtomPtr atom);
    const MTMathAtomPtr& rightBoundary() const { return m_rightBoundary; }
    // As setLeftBoundary, with "Right boundary must be of type .boundary".
    void setRightBoundary(MTMathAtomPtr atom);
    // A \middle delimiter of the \left...\right group around it: its left boundary is the delimiter, it has
    // no list, and it is as tall as the group's own delimiters.
    bool isMiddle() const { return m_middle; }
    void setMiddle(bool middle) { m_middle = middle; }

    MTMathAtomPtr copy() const override;
    MTMathAtomPtr finalized() const override;
    // "\inner", "[<left nucleus>]", "{<inner list>}", "[<right nucleus>]", scripts.
    QString description() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;

private:
    MTMathListPtr m_innerList;
    MTMathAtomPtr m_leftBoundary;
    MTMathAtomPtr m_rightBoundary;
    bool m_middle = false;
};

// Base of the atoms that hold one inner list (overline, underline, accent, the colour atoms).
class MTInnerListAtom : public MTMathAtom {
public:
    const MTMathListPtr& innerList() const { return m_innerList; }
    void setInnerList(MTMathListPtr list) { m_innerList = std::move(list); }

    MTMathAtomPtr finalized() const override;

protected:
    MTInnerListAtom(MTMathAtomType type, const QString& value);
    MTInnerListAtom(const MTInnerListAtom& other);
    MTInnerListAtom(const MTInnerListAtom& other, ShallowTag);

    MTMathListPtr m_innerList;
};

class MTOverLine : public MTInnerListAtom {
public:
    MTOverLine();
    MTOverLine(const MTOverLine& other);
    MTOverLine(const MTOverLine& other, ShallowTag);
    MTMathAtomPtr copy() const override;
    // The copy, then the inner list finalized; the scripts stay as copied.
    MTMathAtomPtr finalized() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;
};

class MTUnderLine : public MTInnerListAtom {
public:
    MTUnderLine();
    MTUnderLine(const MTUnderLine& other);
    MTUnderLine(const MTUnderLine& other, ShallowTag);
    MTMathAtomPtr copy() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;
};

// An accent: the nucleus holds the combining accent character, the inner list is the accentee.
class MTAccent : public MTInnerListAtom {
public:
    explicit MTAccent(const QString& value);
    MTAccent(const MTAccent& other);
    MTAccent(const MTAccent& other, ShallowTag);
    MTMathAtomPtr copy() const override;

    // A wide accent (\widehat, \widetilde) stretches over its whole accentee; the others keep the mark's
    // own size.
    bool isWide() const { return m_wide; }
    void setWide(bool wide) { m_wide = wide; }

protected:
    MTMathAtomPtr shallowCopy() const override;

private:
    bool m_wide = false;
};

// A horizontal space, in mu.
class MTMathSpace : public MTMathAtom {
public:
    explicit MTMathSpace(double space);
    MTMathSpace(const MTMathSpace& other);
    MTMathSpace(const MTMathSpace& other, ShallowTag);

    double space() const { return m_space; }
    void setSpace(double space) { m_space = space; }

    MTMathAtomPtr copy() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;

private:
    double m_space = 0;
};

// A switch to a line style.
class MTMathStyle : public MTMathAtom {
public:
    explicit MTMathStyle(MTLineStyle style);
    MTMathStyle(const MTMathStyle& other);
    MTMathStyle(const MTMathStyle& other, ShallowTag);

    MTLineStyle style() const { return m_style; }
    void setStyle(MTLineStyle style) { m_style = style; }

    MTMathAtomPtr copy() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;

private:
    MTLineStyle m_style = MTLineStyle::display;
};

// Base of the three colour atoms: the colour text as the parser read it, and the coloured list.
class MTColorAtom : public MTInnerListAtom {
public:
    const QString& colorString() const { return m_colorString; }
    void setColorString(const QString& color) { m_colorString = color; }
    // "\color{<colour>}{<inner list string>}" (or \textcolor, \colorbox); no scripts.
    QString string() const override;

protected:
    MTColorAtom(MTMathAtomType type);
    MTColorAtom(const MTColorAtom& other);
    MTColorAtom(const MTColorAtom& other, ShallowTag);

    QString m_colorString;
};

// \color{c}{...}
class MTMathColor : public MTColorAtom {
public:
    MTMathColor();
    MTMathColor(const MTMathColor& other);
    MTMathColor(const MTMathColor& other, ShallowTag);
    MTMathAtomPtr copy() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;
};

// \textcolor{c}{...}
class MTMathTextColor : public MTColorAtom {
public:
    MTMathTextColor();
    MTMathTextColor(const MTMathTextColor& other);
    MTMathTextColor(const MTMathTextColor& other, ShallowTag);
    MTMathAtomPtr copy() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;
};

// \colorbox{c}{...}: colorString is the background colour.
class MTMathColorbox : public MTColorAtom {
public:
    MTMathColorbox();
    MTMathColorbox(const MTMathColorbox& other);
    MTMathColorbox(const MTMathColorbox& other, ShallowTag);
    MTMathAtomPtr copy() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;
};

// A table of cells (rows of lists), with column alignments and spacings.
class MTMathTable : public MTMathAtom {
public:
    MTMathTable();
    // The environment name; none gives the empty text.
    explicit MTMathTable(const std::optional<QString>& environment);
    MTMathTable(const MTMathTable& other);
    MTMathTable(const MTMathTable& other, ShallowTag);

    const std::vector<MTColumnAlignment>& alignments() const { return m_alignments; }
    void setAlignments(std::vector<MTColumnAlignment> alignments) { m_alignments = std::move(alignments); }
    const std::vector<std::vector<MTMathListPtr>>& cells() const { return m_cells; }
    std::vector<std::vector<MTMathListPtr>>& cells() { return m_cells; }
    void setCells(std::vector<std::vector<MTMathListPtr>> cells) { m_cells = std::move(cells); }
    const QString& environment() const { return m_environment; }
    void setEnvironment(const QString& env) { m_environment = env; }
    // Space between columns, in mu.
    double interColumnSpacing() const { return m_interColumnSpacing; }
    void setInterColumnSpacing(double s) { m_interColumnSpacing = s; }
    // Extra space between rows, in the unit the table layout gives it.
    double interRowAdditionalSpacing() const { return m_interRowAdditionalSpacing; }
    void setInterRowAdditionalSpacing(double s) { m_interRowAdditionalSpacing = s; }

    // Grows the rows (empty rows) and the row (new empty lists) as needed, then stores the list.
    // Negative indices are a precondition violation.
    void setCell(MTMathListPtr list, int row, int column);
    // Grows the alignments with center as needed, then stores the alignment.
    void setAlignment(MTColumnAlignment alignment, int column);
    // The stored alignment, or center for a column beyond the stored ones.
    MTColumnAlignment getAlignment(int column) const;
    // The length of the longest row (0 without rows).
    int numColumns() const;
    int numRows() const { return static_cast<int>(m_cells.size()); }

    MTMathAtomPtr copy() const override;
    MTMathAtomPtr finalized() const override;

protected:
    MTMathAtomPtr shallowCopy() const override;

private:
    std::vector<MTColumnAlignment> m_alignments;
    std::vector<std::vector<MTMathListPtr>> m_cells;
    QString m_environment;
    double m_interColumnSpacing = 0;
    double m_interRowAdditionalSpacing = 0;
};

// An ordered list of atoms.
class MTMathList {
public:
    // An empty list.
    MTMathList();
    // The given atoms, the same objects, without the boundary check.
    explicit MTMathList(std::vector<MTMathAtomPtr> atoms);
    // A list of the one atom, without the boundary check.
    explicit MTMathList(MTMathAtomPtr atom);
    // The deep copy: copy() of every atom, in order, recursively.
    MTMathList(const MTMathList& other);
    MTMathList& operator=(const MTMathList&) = delete;
    ~MTMathList();

    // The deep copy of a list, or none for none.
    static MTMathListPtr deepCopy(const MTMathList* list);
    static MTMathListPtr deepCopy(const MTMathListPtr& list) { return deepCopy(list.get()); }

    const std::vector<MTMathAtomPtr>& atoms() const { return m_atoms; }
    // Replaces the atoms whole, without checks.
    void setAtoms(std::vector<MTMathAtomPtr> atoms) { m_atoms = std::move(atoms); }
    std::size_t size() const { return m_atoms.size(); }
    bool isEmpty() const { return m_atoms.empty(); }

    // A new finalized list; this list is unchanged. Throws when the list holds a boundary atom.
    MTMathListPtr finalized() const;

    // Appends the atom object itself; none is ignored; a boundary atom throws
    // "Cannot add atom of type 101 into mathlist" and leaves the list unchanged.
    void add(const MTMathAtomPtr& atom);
    // Inserts before the atom at index; none is ignored, an index above the count is ignored
    // silently, the count appends; then the boundary check as for add(). Negative: precondition.
    void insert(const MTMathAtomPtr& atom, qsizetype index);
    // Appends the atoms of the other list, as the same objects; none is ignored.
    void append(const MTMathList* list);
    void append(const MTMathListPtr& list) { append(list.get()); }
    // Removes the last atom; nothing on an empty list.
    void removeLastAtom();
    // Throws "Index <i> out of bounds" unless 0 <= index < count, then removes that atom.
    void removeAtom(qsizetype index);
    // Removes the atoms from `first` through `last` (a closed range), after checking `first` and
    // then `last` as removeAtom() does; last < first throws for `last`.
    void removeAtoms(qsizetype first, qsizetype last);
    // False only for an atom of type boundary.
    static bool isAtomAllowed(const MTMathAtom* atom);

    // "[" + the atoms' descriptions separated by ", " + "]".
    QString description() const;
    // The same as description().
    QString string() const { return description(); }

private:
    // Throws "Index <i> out of bounds" unless 0 <= index < count.
    void checkIndex(qsizetype index) const;

    std::vector<MTMathAtomPtr> m_atoms;
};

// The finalized form of an optional list (none stays none).
MTMathListPtr finalizedList(const MTMathListPtr& list);

} // namespace zepla::math
