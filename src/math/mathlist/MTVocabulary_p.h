// Private to zepla_mathlist: the builders of the vocabulary tables (MTVocabulary.cpp).
#pragma once

#include "mathlist/MTMathAtomFactory.h"

namespace zepla::math::detail {

MTStringMap<MTMathAtomPtr> buildSupportedLatexSymbols();
MTStringMap<QString> buildAliases();
MTStringMap<QString> buildDelimiters();
MTStringMap<QString> buildAccents();
MTStringMap<std::pair<QString, QString>> buildSupportedAccentedCharacters();
MTStringMap<MTFontStyle> buildFontStyles();
MTStringMap<QStringList> buildMatrixEnvs();

} // namespace zepla::math::detail
