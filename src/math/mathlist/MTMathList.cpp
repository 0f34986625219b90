#include "mathlist/MTMathList.h"

#include "mathlist/MTNodePool.h"

#include <cstdio>

namespace zepla::math {

namespace {

std::unique_ptr<std::vector<MTMathAtomPtr>> copyOf(const std::unique_ptr<std::vector<MTMathAtomPtr>>& atoms) {
    if (!atoms || atoms->empty())
        return nullptr;
    return std::make_unique<std::vector<MTMathAtomPtr>>(*atoms);
}

} // namespace

// --- MTMathException -------------------------------------------------------------------------

MTMathException::MTMathException(const QString& reason)
    : std::runtime_error(reason.toStdString()), m_reason(reason) {}

// --- MTMathAtom ------------------------------------------------------------------------------

MTMathAtom::MTMathAtom() = default;

MTMathAtom::MTMathAtom(MTMathAtomType type, const QString& value)
    : m_type(type), m_nucleus(type == MTMathAtomType::radical ? QString() : value) {}

MTMathAtom::MTMathAtom(const MTMathAtom& other)
    : m_type(other.m_type), m_fontStyle(other.m_fontStyle),
      m_subScript(MTMathList::deepCopy(other.m_subScript)),
      m_superScript(MTMathList::deepCopy(other.m_superScript)), m_nucleus(other.m_nucleus),
      m_indexRange(other.m_indexRange), m_fusedAtoms(copyOf(other.m_fusedAtoms)) {}

MTMathAtom::MTMathAtom(const MTMathAtom& other, ShallowTag)
    : m_type(other.m_type), m_fontStyle(other.m_fontStyle), m_subScript(other.m_subScript),
      m_superScript(other.m_superScript), m_nucleus(other.m_nucleus), m_indexRange(other.m_indexRange),
      m_fusedAtoms(copyOf(other.m_fusedAtoms)) {}

MTMathAtom::~MTMathAtom() = default;

void MTMathAtom::setSubScript(MTMathListPtr list) {
    if (list && !isScriptAllowed()) {
        m_subScript.reset();
        throw MTMathException(QStringLiteral("Subscripts not allowed for atom of type ") +
                              zepla::math::description(m_type));
    }
    m_subScript = std::move(list);
}

void MTMathAtom::setSuperScript(MTMathListPtr list) {
    if (list && !isScriptAllowed()) {
        m_superScript.reset();
        throw MTMathException(QStringLiteral("Superscripts not allowed for atom of type ") +
                              zepla::math::description(m_type));
    }
    m_superScript = std::move(list);
}

const std::vector<MTMathAtomPtr>& MTMathAtom::fusedAtoms() const {
    static const std::vector<MTMathAtomPtr> none;
    return m_fusedAtoms ? *m_fusedAtoms : none;
}

void MTMathAtom::setFusedAtoms(std::vector<MTMathAtomPtr> atoms) {
    if (atoms.empty())
        m_fusedAtoms.reset();
    else
        m_fusedAtoms = std::make_unique<std::vector<MTMathAtomPtr>>(std::move(atoms));
}

void MTMathAtom::setNucleus(const QString& nucleus) {
    m_nucleus = m_type == MTMathAtomType::radical ? QString() : nucleus;
}

MTMathAtomPtr MTMathAtom::copy() const {
    return MTNodePool::make<MTMathAtom>(*this);
}

MTMathAtomPtr MTMathAtom::shallowCopy() const {
    return MTNodePool::make<MTMathAtom>(*this, ShallowTag{});
}

MTMathAtomPtr MTMathAtom::finalizedBase() const {
    MTMathAtomPtr node = shallowCopy();
    node->setSuperScript(finalizedList(m_superScript));
    node->setSubScript(finalizedList(m_subScript));
    return node;
}

MTMathAtomPtr MTMathAtom::finalized() const {
    return finalizedBase();
}

QString MTMathAtom::scriptsDescription() const {
    QString s;
    if (m_superScript)
        s += QStringLiteral("^{") + m_superScript->description() + QLatin1Char('}');
    if (m_subScript)
        s += QStringLiteral("_{") + m_subScript->description() + QLatin1Char('}');
    return s;
}

QString MTMathAtom::description() const {
    return m_nucleus + scriptsDescription();
}

QString MTMathAtom::string() const {
    QString s = m_nucleus;
    if (m_superScript)
        s += QStringLiteral("^{") + m_superScript->string() + QLatin1Char('}');
    if (m_subScript)
        s += QStringLiteral("_{") + m_subScript->string() + QLatin1Char('}');
    return s;
}

void MTMathAtom::fuse(const MTMathAtomPtr& other) {
    if (!other || m_subScript || m_superScript || m_type != other->m_type) {
        std::puts("Can't fuse these 2 atoms");
        return;
    }
    if (!m_fusedAtoms)
        m_fusedAtoms = std::make_unique<std::vector<MTMathAtomPtr>>();
    if (m_fusedAtoms->empty())
        m_fusedAtoms->push_back(MTNodePool::make<MTMathAtom>(*this));
    const std::vector<MTMathAtomPtr>& others = other->fusedAtoms();
    if (others.empty())
        m_fusedAtoms->push_back(other);
    else
        m_fusedAtoms->insert(m_fusedAtoms->end(), others.begin(), others.end());
    m_nucleus += other->m_nucleus;
    m_indexRange.length += other->m_indexRange.length;
    setSuperScript(other->m_superScript);
    setSubScript(other->m_subScript);
}

bool isNotBinaryOperator(const MTMathAtom* previous) {
    return !previous || previous->isNotBinaryOperator();
}

// --- MTFraction ------------------------------------------------------------------------------

MTFraction::MTFraction(bool hasRule) : MTMathAtom(MTMathAtomType::fraction, QString()), m_hasRule(hasRule) {}

MTFraction::MTFraction(const MTFraction& other)
    : MTMathAtom(other), m_hasRule(other.m_hasRule), m_leftDelimiter(other.m_leftDelimiter),
      m_rightDelimiter(other.m_rightDelimiter), m_numerator(MTMathList::deepCopy(other.m_numerator)),
      m_denominator(MTMathList::deepCopy(other.m_denominator)) {}

MTFraction::MTFraction(const MTFraction& other, ShallowTag tag)
    : MTMathAtom(other, tag), m_hasRule(other.m_hasRule), m_leftDelimiter(other.m_leftDelimiter),
      m_rightDelimiter(other.m_rightDelimiter), m_numerator(other.m_numerator),
      m_denominator(other.m_denominator) {}

MTMathAtomPtr MTFraction::copy() const {
    return MTNodePool::make<MTFraction>(*this);
}

MTMathAtomPtr MTFraction::shallowCopy() const {
    return MTNodePool::make<MTFraction>(*this, ShallowTag{});
}

MTMathAtomPtr MTFraction::finalized() const {
    auto node = std::static_pointer_cast<MTFraction>(finalizedBase());
    node->m_numerator = finalizedList(m_numerator);
    node->m_denominator = finalizedList(m_denominator);
    return node;
}

QString MTFraction::description() const {
    QString s = m_hasRule ? QStringLiteral("\\frac") : QStringLiteral("\\atop");
    if (!m_leftDelimiter.isEmpty())
        s += QLatin1Char('[') + m_leftDelimiter + QLatin1Char(']');
    if (!m_rightDelimiter.isEmpty())
        s += QLatin1Char('[') + m_rightDelimiter + QLatin1Char(']');
    s += QLatin1Char('{') + (m_numerator ? m_numerator->description() : QStringLiteral("placeholder")) +
         QStringLiteral("}{") +
         (m_denominator ? m_denominator->description() : QStringLiteral("placeholder")) + QLatin1Char('}');
    return s + scriptsDescription();
}

// --- MTRadical -------------------------------------------------------------------------------

MTRadical::MTRadical() : MTMathAtom(MTMathAtomType::radical, QString()) {}

MTRadical::MTRadical(const MTRadical& other)
    : MTMathAtom(other), m_radicand(MTMathList::deepCopy(other.m_radicand)),
      m_degree(MTMathList::deepCopy(other.m_degree)) {
    m_nucleus.clear();
}

MTRadical::MTRadical(const MTRadical& other, ShallowTag tag)
    : MTMathAtom(other, tag), m_radicand(other.m_radicand), m_degree(other.m_degree) {
    m_nucleus.clear();
}

MTMathAtomPtr MTRadical::copy() const {
    return MTNodePool::make<MTRadical>(*this);
}

MTMathAtomPtr MTRadical::shallowCopy() const {
    return MTNodePool::make<MTRadical>(*this, ShallowTag{});
}

MTMathAtomPtr MTRadical::finalized() const {
    auto node = std::static_pointer_cast<MTRadical>(finalizedBase());
    node->m_radicand = finalizedList(m_radicand);
    node->m_degree = finalizedList(m_degree);
    return node;
}

QString MTRadical::description() const {
    QString s = QStringLiteral("\\sqrt");
    if (m_degree)
        s += QLatin1Char('[') + m_degree->description() + QLatin1Char(']');
    if (m_radicand)
        s += QLatin1Char('{') + m_radicand->description() + QLatin1Char('}');
    return s + scriptsDescription();
}

// --- MTLargeOperator -------------------------------------------------------------------------

MTLargeOperator::MTLargeOperator(const QString& value, bool limits)
    : MTMathAtom(MTMathAtomType::largeOperator, value), m_limits(limits) {}

MTLargeOperator::MTLargeOperator(const MTLargeOperator& other)
    : MTMathAtom(other), m_limits(other.m_limits) {}

MTLargeOperator::MTLargeOperator(const MTLargeOperator& other, ShallowTag tag)
    : MTMathAtom(other, tag), m_limits(other.m_limits) {}

MTMathAtomPtr MTLargeOperator::copy() const {
    return MTNodePool::make<MTLargeOperator>(*this);
}

MTMathAtomPtr MTLargeOperator::shallowCopy() const {
    return MTNodePool::make<MTLargeOperator>(*this, ShallowTag{});
}

// --- MTInner ---------------------------------------------------------------------------------

namespace {
MTMathAtomPtr boundaryCopy(const MTMathAtomPtr& boundary) {
    return boundary ? MTNodePool::make<MTMathAtom>(*boundary) : MTNodePool::make<MTMathAtom>();
}
} // namespace

MTInner::MTInner() : MTMathAtom(MTMathAtomType::inner, QString()) {}

MTInner::MTInner(const MTInner& other)
    : MTMathAtom(other), m_innerList(MTMathList::deepCopy(other.m_innerList)),
      m_leftBoundary(boundaryCopy(other.m_leftBoundary)),
      m_rightBoundary(boundaryCopy(other.m_rightBoundary)), m_middle(other.m_middle) {}

MTInner::MTInner(const MTInner& other, ShallowTag tag)
    : MTMathAtom(other, tag), m_innerList(other.m_innerList),
      m_leftBoundary(boundaryCopy(other.m_leftBoundary)),
      m_rightBoundary(boundaryCopy(other.m_rightBoundary)), m_middle(other.m_middle) {}

void MTInner::setLeftBoundary(MTMathAtomPtr atom) {
    if (atom && atom->type() != MTMathAtomType::boundary) {
        m_leftBoundary.reset();
        throw MTMathException(QStringLiteral("Left boundary must be of type .boundary"));
    }
    m_leftBoundary = std::move(atom);
}

void MTInner::setRightBoundary(MTMathAtomPtr atom) {
    if (atom && atom->type() != MTMathAtomType::boundary) {
        m_rightBoundary.reset();
        throw MTMathException(QStringLiteral("Right boundary must be of type .boundary"));
    }
    m_rightBoundary = std::move(atom);
}

MTMathAtomPtr MTInner::copy() const {
    return MTNodePool::make<MTInner>(*this);
}

MTMathAtomPtr MTInner::shallowCopy() const {
    return MTNodePool::make<MTInner>(*this, ShallowTag{});
}

MTMathAtomPtr MTInner::finalized() const {
    auto node = std::static_pointer_cast<MTInner>(finalizedBase());
    node->m_innerList = finalizedList(m_innerList);
    return node;
}

QString MTInner::description() const {
    if (m_middle)
        return QStringLiteral("\\middle[") + (m_leftBoundary ? m_leftBoundary->nucleus() : QString()) +
               QLatin1Char(']') + scriptsDescription();
    QString s = QStringLiteral("\\inner");
    if (m_leftBoundary)
        s += QLatin1Char('[') + m_leftBoundary->nucleus() + QLatin1Char(']');
    s += QLatin1Char('{') + (m_innerList ? m_innerList->description() : QString()) + QLatin1Char('}');
    if (m_rightBoundary)
        s += QLatin1Char('[') + m_rightBoundary->nucleus() + QLatin1Char(']');
    return s + scriptsDescription();
}

// --- Atoms with one inner list ---------------------------------------------------------------

MTInnerListAtom::MTInnerListAtom(MTMathAtomType type, const QString& value) : MTMathAtom(type, value) {}

MTInnerListAtom::MTInnerListAtom(const MTInnerListAtom& other)
    : MTMathAtom(other), m_innerList(MTMathList::deepCopy(other.m_innerList)) {}

MTInnerListAtom::MTInnerListAtom(const MTInnerListAtom& other, ShallowTag tag)
    : MTMathAtom(other, tag), m_innerList(other.m_innerList) {}

MTMathAtomPtr MTInnerListAtom::finalized() const {
    auto node = std::static_pointer_cast<MTInnerListAtom>(finalizedBase());
    node->m_innerList = finalizedList(m_innerList);
    return node;
}

MTOverLine::MTOverLine() : MTInnerListAtom(MTMathAtomType::overline, QString()) {}
MTOverLine::MTOverLine(const MTOverLine& other) : MTInnerListAtom(other) {}
MTOverLine::MTOverLine(const MTOverLine& other, ShallowTag tag) : MTInnerListAtom(other, tag) {}
MTMathAtomPtr MTOverLine::copy() const {
    return MTNodePool::make<MTOverLine>(*this);
}
MTMathAtomPtr MTOverLine::shallowCopy() const {
    return MTNodePool::make<MTOverLine>(*this, ShallowTag{});
}
MTMathAtomPtr MTOverLine::finalized() const {
    // The copy constructor: scripts deep-copied but not finalized; then the inner list finalized.
    auto node = MTNodePool::make<MTOverLine>(*this, ShallowTag{});
    node->m_superScript = MTMathList::deepCopy(m_superScript);
    node->m_subScript = MTMathList::deepCopy(m_subScript);
    node->m_innerList = finalizedList(m_innerList);
    return node;
}

MTUnderLine::MTUnderLine() : MTInnerListAtom(MTMathAtomType::underline, QString()) {}
MTUnderLine::MTUnderLine(const MTUnderLine& other) : MTInnerListAtom(other) {}
MTUnderLine::MTUnderLine(const MTUnderLine& other, ShallowTag tag) : MTInnerListAtom(other, tag) {}
MTMathAtomPtr MTUnderLine::copy() const {
    return MTNodePool::make<MTUnderLine>(*this);
}
MTMathAtomPtr MTUnderLine::shallowCopy() const {
    return MTNodePool::make<MTUnderLine>(*this, ShallowTag{});
}

MTAccent::MTAccent(const QString& value) : MTInnerListAtom(MTMathAtomType::accent, value) {}
MTAccent::MTAccent(const MTAccent& other) : MTInnerListAtom(other), m_wide(other.m_wide) {}
MTAccent::MTAccent(const MTAccent& other, ShallowTag tag)
    : MTInnerListAtom(other, tag), m_wide(other.m_wide) {}
MTMathAtomPtr MTAccent::copy() const {
    return MTNodePool::make<MTAccent>(*this);
}
MTMathAtomPtr MTAccent::shallowCopy() const {
    return MTNodePool::make<MTAccent>(*this, ShallowTag{});
}

// --- MTMathSpace, MTMathStyle ----------------------------------------------------------------

MTMathSpace::MTMathSpace(double space) : MTMathAtom(MTMathAtomType::space, QString()), m_space(space) {}
MTMathSpace::MTMathSpace(const MTMathSpace& other) : MTMathAtom(other), m_space(other.m_space) {}
MTMathSpace::MTMathSpace(const MTMathSpace& other, ShallowTag tag)
    : MTMathAtom(other, tag), m_space(other.m_space) {}
MTMathAtomPtr MTMathSpace::copy() const {
    return MTNodePool::make<MTMathSpace>(*this);
}
MTMathAtomPtr MTMathSpace::shallowCopy() const {
    return MTNodePool::make<MTMathSpace>(*this, ShallowTag{});
}

MTMathStyle::MTMathStyle(MTLineStyle style) : MTMathAtom(MTMathAtomType::style, QString()), m_style(style) {}
MTMathStyle::MTMathStyle(const MTMathStyle& other) : MTMathAtom(other), m_style(other.m_style) {}
MTMathStyle::MTMathStyle(const MTMathStyle& other, ShallowTag tag)
    : MTMathAtom(other, tag), m_style(other.m_style) {}
MTMathAtomPtr MTMathStyle::copy() const {
    return MTNodePool::make<MTMathStyle>(*this);
}
MTMathAtomPtr MTMathStyle::shallowCopy() const {
    return MTNodePool::make<MTMathStyle>(*this, ShallowTag{});
}

// --- Colour atoms ----------------------------------------------------------------------------

MTColorAtom::MTColorAtom(MTMathAtomType type) : MTInnerListAtom(type, QString()) {}
MTColorAtom::MTColorAtom(const MTColorAtom& other)
    : MTInnerListAtom(other), m_colorString(other.m_colorString) {}
MTColorAtom::MTColorAtom(const MTColorAtom& other, ShallowTag tag)
    : MTInnerListAtom(other, tag), m_colorString(other.m_colorString) {}

QString MTColorAtom::string() const {
    QString command;
    switch (m_type) {
    case MTMathAtomType::textcolor:
        command = QStringLiteral("\\textcolor{");
        break;
    case MTMathAtomType::colorBox:
        command = QStringLiteral("\\colorbox{");
        break;
    default:
        command = QStringLiteral("\\color{");
        break;
    }
    return command + m_colorString + QStringLiteral("}{") +
           (m_innerList ? m_innerList->string() : QString()) + QLatin1Char('}');
}

MTMathColor::MTMathColor() : MTColorAtom(MTMathAtomType::color) {}
MTMathColor::MTMathColor(const MTMathColor& other) : MTColorAtom(other) {}
MTMathColor::MTMathColor(const MTMathColor& other, ShallowTag tag) : MTColorAtom(other, tag) {}
MTMathAtomPtr MTMathColor::copy() const {
    return MTNodePool::make<MTMathColor>(*this);
}
MTMathAtomPtr MTMathColor::shallowCopy() const {
    return MTNodePool::make<MTMathColor>(*this, ShallowTag{});
}

MTMathTextColor::MTMathTextColor() : MTColorAtom(MTMathAtomType::textcolor) {}
MTMathTextColor::MTMathTextColor(const MTMathTextColor& other) : MTColorAtom(other) {}
MTMathTextColor::MTMathTextColor(const MTMathTextColor& other, ShallowTag tag) : MTColorAtom(other, tag) {}
MTMathAtomPtr MTMathTextColor::copy() const {
    return MTNodePool::make<MTMathTextColor>(*this);
}
MTMathAtomPtr MTMathTextColor::shallowCopy() const {
    return MTNodePool::make<MTMathTextColor>(*this, ShallowTag{});
}

MTMathColorbox::MTMathColorbox() : MTColorAtom(MTMathAtomType::colorBox) {}
MTMathColorbox::MTMathColorbox(const MTMathColorbox& other) : MTColorAtom(other) {}
MTMathColorbox::MTMathColorbox(const MTMathColorbox& other, ShallowTag tag) : MTColorAtom(other, tag) {}
MTMathAtomPtr MTMathColorbox::copy() const {
    return MTNodePool::make<MTMathColorbox>(*this);
}
MTMathAtomPtr MTMathColorbox::shallowCopy() const {
    return MTNodePool::make<MTMathColorbox>(*this, ShallowTag{});
}

// --- MTMathTable -----------------------------------------------------------------------------

MTMathTable::MTMathTable() : MTMathAtom(MTMathAtomType::table, QString()) {}

MTMathTable::MTMathTable(const std::optional<QString>& environment)
    : MTMathAtom(MTMathAtomType::table, QString()), m_environment(environment.value_or(QString())) {}

MTMathTable::MTMathTable(const MTMathTable& other)
    : MTMathAtom(other), m_alignments(other.m_alignments), m_environment(other.m_environment),
      m_interColumnSpacing(other.m_interColumnSpacing),
      m_interRowAdditionalSpacing(other.m_interRowAdditionalSpacing) {
    m_cells.reserve(other.m_cells.size());
    for (const auto& row : other.m_cells) {
        std::vector<MTMathListPtr> newRow;
        newRow.reserve(row.size());
        for (const auto& cell : row)
            newRow.push_back(MTMathList::deepCopy(cell));
        m_cells.push_back(std::move(newRow));
    }
}

MTMathTable::MTMathTable(const MTMathTable& other, ShallowTag tag)
    : MTMathAtom(other, tag), m_alignments(other.m_alignments), m_cells(other.m_cells),
      m_environment(other.m_environment), m_interColumnSpacing(other.m_interColumnSpacing),
      m_interRowAdditionalSpacing(other.m_interRowAdditionalSpacing) {}

void MTMathTable::setCell(MTMathListPtr list, int row, int column) {
    Q_ASSERT(row >= 0 && column >= 0);
    while (static_cast<int>(m_cells.size()) <= row)
        m_cells.emplace_back();
    auto& cells = m_cells[row];
    while (static_cast<int>(cells.size()) <= column)
        cells.push_back(MTNodePool::make<MTMathList>());
    cells[column] = std::move(list);
}

void MTMathTable::setAlignment(MTColumnAlignment alignment, int column) {
    Q_ASSERT(column >= 0);
    while (static_cast<int>(m_alignments.size()) <= column)
        m_alignments.push_back(MTColumnAlignment::center);
    m_alignments[column] = alignment;
}

MTColumnAlignment MTMathTable::getAlignment(int column) const {
    Q_ASSERT(column >= 0);
    return column < static_cast<int>(m_alignments.size()) ? m_alignments[column] : MTColumnAlignment::center;
}

int MTMathTable::numColumns() const {
    std::size_t n = 0;
    for (const auto& row : m_cells)
        n = std::max(n, row.size());
    return static_cast<int>(n);
}

MTMathAtomPtr MTMathTable::copy() const {
    return MTNodePool::make<MTMathTable>(*this);
}

MTMathAtomPtr MTMathTable::shallowCopy() const {
    return MTNodePool::make<MTMathTable>(*this, ShallowTag{});
}

MTMathAtomPtr MTMathTable::finalized() const {
    auto node = std::static_pointer_cast<MTMathTable>(finalizedBase());
    for (std::size_t r = 0; r < m_cells.size(); ++r)
        for (std::size_t c = 0; c < m_cells[r].size(); ++c)
            node->m_cells[r][c] = finalizedList(m_cells[r][c]);
    return node;
}

// --- MTMathList ------------------------------------------------------------------------------

MTMathList::MTMathList() = default;

MTMathList::MTMathList(std::vector<MTMathAtomPtr> atoms) : m_atoms(std::move(atoms)) {}

MTMathList::MTMathList(MTMathAtomPtr atom) {
    m_atoms.push_back(std::move(atom));
}

MTMathList::MTMathList(const MTMathList& other) {
    m_atoms.reserve(other.m_atoms.size());
    for (const auto& atom : other.m_atoms)
        m_atoms.push_back(atom ? atom->copy() : nullptr);
}

MTMathList::~MTMathList() = default;

MTMathListPtr MTMathList::deepCopy(const MTMathList* list) {
    return list ? MTNodePool::make<MTMathList>(*list) : nullptr;
}

bool MTMathList::isAtomAllowed(const MTMathAtom* atom) {
    return !atom || atom->type() != MTMathAtomType::boundary;
}

void MTMathList::add(const MTMathAtomPtr& atom) {
    if (!atom)
        return;
    if (!isAtomAllowed(atom.get()))
        throw MTMathException(
            QStringLiteral("Cannot add atom of type %1 into mathlist").arg(rawValue(atom->type())));
    m_atoms.push_back(atom);
}

void MTMathList::insert(const MTMathAtomPtr& atom, qsizetype index) {
    if (!atom)
        return;
    Q_ASSERT(index >= 0);
    if (index < 0 || index > static_cast<qsizetype>(m_atoms.size()))
        return;
    if (!isAtomAllowed(atom.get()))
        throw MTMathException(
            QStringLiteral("Cannot add atom of type %1 into mathlist").arg(rawValue(atom->type())));
    m_atoms.insert(m_atoms.begin() + index, atom);
}

void MTMathList::append(const MTMathList* list) {
    if (!list || list == this) {
        if (list == this) {
            const auto copy = m_atoms;
            m_atoms.insert(m_atoms.end(), copy.begin(), copy.end());
        }
        return;
    }
    m_atoms.insert(m_atoms.end(), list->m_atoms.begin(), list->m_atoms.end());
}

void MTMathList::removeLastAtom() {
    if (!m_atoms.empty())
        m_atoms.pop_back();
}

void MTMathList::checkIndex(qsizetype index) const {
    if (index < 0 || index >= static_cast<qsizetype>(m_atoms.size()))
        throw MTMathException(QStringLiteral("Index %1 out of bounds").arg(index));
}

void MTMathList::removeAtom(qsizetype index) {
    checkIndex(index);
    m_atoms.erase(m_atoms.begin() + index);
}

void MTMathList::removeAtoms(qsizetype first, qsizetype last) {
    checkIndex(first);
    checkIndex(last);
    if (last < first)
        throw MTMathException(QStringLiteral("Index %1 out of bounds").arg(last));
    m_atoms.erase(m_atoms.begin() + first, m_atoms.begin() + last + 1);
}

QString MTMathList::description() const {
    QString s = QStringLiteral("[");
    bool first = true;
    for (const auto& atom : m_atoms) {
        if (!first)
            s += QStringLiteral(", ");
        first = false;
        if (atom)
            s += atom->description();
    }
    s += QLatin1Char(']');
    return s;
}

MTMathListPtr MTMathList::finalized() const {
    auto result = MTNodePool::make<MTMathList>();
    result->m_atoms.reserve(m_atoms.size());
    MTMathAtom* previous = nullptr;
    // The last atom other than a style change or a space: neither stands between two neighbours, so a sign
    // after "\textstyle" at the front of a list (as every matrix and cases cell begins) or after a space
    // there is still first, as glue and style changes are no atoms in TeX. An empty ordinary atom (the spacer
    // an aligned environment puts before its second cell) is an atom, and a sign after it stays binary.
    MTMathAtom* neighbour = nullptr;
    for (const auto& atom : m_atoms) {
        if (!atom)
            continue;
        MTMathAtomPtr node = atom->finalized();
        if (atom->indexRange() == MTRange{}) {
            node->setIndexRange(previous ? MTRange{previous->indexRange().end(), 1} : MTRange{0, 1});
        }
        switch (node->type()) {
        case MTMathAtomType::binaryOperator:
            if (isNotBinaryOperator(neighbour))
                node->setType(MTMathAtomType::unaryOperator);
            break;
        case MTMathAtomType::relation:
        case MTMathAtomType::punctuation:
        case MTMathAtomType::close:
            if (neighbour && neighbour->type() == MTMathAtomType::binaryOperator)
                neighbour->setType(MTMathAtomType::unaryOperator);
            break;
        case MTMathAtomType::number:
            if (previous && previous->type() == MTMathAtomType::number && !previous->subScript() &&
                !previous->superScript()) {
                previous->fuse(node);
                continue; // the node is not added; previous stays the fused atom
            }
            break;
        default:
            break;
        }
        result->add(node);
        previous = node.get();
        if (node->type() != MTMathAtomType::style && node->type() != MTMathAtomType::space)
            neighbour = previous;
    }
    if (neighbour && neighbour->type() == MTMathAtomType::binaryOperator)
        neighbour->setType(MTMathAtomType::unaryOperator);
    return result;
}

MTMathListPtr finalizedList(const MTMathListPtr& list) {
    return list ? list->finalized() : nullptr;
}

} // namespace zepla::math
