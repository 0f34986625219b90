// The formulas the typesetter benchmark times: ordinary atoms, operators, relations, scripts, styles,
// colours, spaces, Greek and styled letters, as an assistant's answers hold them.
#pragma once

#include <QStringList>

// `count` formulas, the same ones on every call.
QStringList typicalFormulas(int count);
