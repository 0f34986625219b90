// Environments and tables: MTMathAtomFactory::table(environment, rows, error).
#include "mathlist/MTMathAtomFactory.h"

namespace zepla::math {

namespace {

void setError(std::optional<MTParseError>& error, MTParseErrors kind, const QString& message) {
    if (!error)
        error = MTParseError(kind, message);
}

void alignColumns(MTMathTable& table, std::initializer_list<MTColumnAlignment> alignments) {
    int column = 0;
    for (MTColumnAlignment a : alignments)
        table.setAlignment(a, column++);
}

// Inserts one atom object at the front of every cell.
void prefixEveryCell(MTMathTable& table, const MTMathAtomPtr& atom) {
    for (auto& row : table.cells())
        for (auto& cell : row)
            cell->insert(atom, 0);
}

} // namespace

MTMathAtomPtr MTMathAtomFactory::table(const std::optional<QString>& environment,
                                       const std::vector<std::vector<MTMathListPtr>>& rows,
                                       std::optional<MTParseError>& error) {
    auto table = std::make_shared<MTMathTable>(environment);
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            table->setCell(rows[r][c] ? rows[r][c] : std::make_shared<MTMathList>(), static_cast<int>(r),
                           static_cast<int>(c));
    const int columns = table->numColumns();

    if (!environment) {
        table->setInterColumnSpacing(0);
        table->setInterRowAdditionalSpacing(1);
        for (int i = 0; i < columns; ++i)
            table->setAlignment(MTColumnAlignment::left, i);
        return table;
    }

    const QString& env = *environment;
    const auto& matrices = matrixEnvs();
    if (auto it = matrices.find(env); it != matrices.end()) {
        table->setEnvironment(QStringLiteral("matrix"));
        table->setInterColumnSpacing(18);
        table->setInterRowAdditionalSpacing(0);
        prefixEveryCell(*table, std::make_shared<MTMathStyle>(MTLineStyle::text));
        const QStringList& delims = it->second;
        if (delims.size() == 2) {
            auto inner = std::make_shared<MTInner>();
            inner->setLeftBoundary(boundaryForDelimiter(delims[0]));
            inner->setRightBoundary(boundaryForDelimiter(delims[1]));
            inner->setInnerList(std::make_shared<MTMathList>(MTMathAtomPtr(table)));
            return inner;
        }
        return table;
    }

    if (env == u"eqalign" || env == u"split" || env == u"aligned") {
        if (columns != 2) {
            setError(error, MTParseErrors::invalidNumColumns, env + QStringLiteral(" environment can only have 2 columns"));
            return nullptr;
        }
        table->setInterColumnSpacing(0);
        table->setInterRowAdditionalSpacing(1);
        alignColumns(*table, {MTColumnAlignment::right, MTColumnAlignment::left});
        // So that an operator starting the second cell is not the first atom of its list.
        auto spacer = std::make_shared<MTMathAtom>(MTMathAtomType::ordinary, QString());
        for (auto& row : table->cells())
            if (row.size() > 1)
                row[1]->insert(spacer, 0);
        return table;
    }

    if (env == u"displaylines" || env == u"gather") {
        if (columns != 1) {
            setError(error, MTParseErrors::invalidNumColumns, env + QStringLiteral(" environment can only have 1 column"));
            return nullptr;
        }
        table->setInterColumnSpacing(0);
        table->setInterRowAdditionalSpacing(1);
        alignColumns(*table, {MTColumnAlignment::center});
        return table;
    }

    if (env == u"eqnarray") {
        if (columns != 3) {
            setError(error, MTParseErrors::invalidNumColumns, env + QStringLiteral(" environment can only have 3 columns"));
            return nullptr;
        }
        table->setInterColumnSpacing(18);
        table->setInterRowAdditionalSpacing(1);
        alignColumns(*table, {MTColumnAlignment::right, MTColumnAlignment::center, MTColumnAlignment::left});
        return table;
    }

    if (env == u"cases") {
        if (columns != 2) {
            setError(error, MTParseErrors::invalidNumColumns, QStringLiteral("cases environment can only have 2 columns"));
            return nullptr;
        }
        table->setInterColumnSpacing(18);
        table->setInterRowAdditionalSpacing(0);
        alignColumns(*table, {MTColumnAlignment::left, MTColumnAlignment::left});
        prefixEveryCell(*table, std::make_shared<MTMathStyle>(MTLineStyle::text));
        auto inner = std::make_shared<MTInner>();
        inner->setLeftBoundary(boundaryForDelimiter(u"{"));
        inner->setRightBoundary(boundaryForDelimiter(u"."));
        auto innerList = std::make_shared<MTMathList>();
        innerList->add(atomForLatexSymbol(u","));
        innerList->add(table);
        inner->setInnerList(innerList);
        return inner;
    }

    setError(error, MTParseErrors::invalidEnv, QStringLiteral("Unknown environment ") + env);
    return nullptr;
}

} // namespace zepla::math
