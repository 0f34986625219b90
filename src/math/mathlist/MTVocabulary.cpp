// The LaTeX vocabulary, as data: every row of every table.
#include "mathlist/MTVocabulary_p.h"

namespace zepla::math::detail {

namespace {

using T = MTMathAtomType;

QString cp(char32_t c) { return QString::fromUcs4(&c, 1); }

struct SymbolBuilder {
    MTStringMap<MTMathAtomPtr>& m;

    void plain(const char* name, T type, char32_t c) { plainText(name, type, cp(c)); }
    void plainText(const char* name, T type, const QString& text) {
        m.emplace(QString::fromLatin1(name), std::make_shared<MTMathAtom>(type, text));
    }
    void op(const char* name, bool limits) { opText(name, QString::fromLatin1(name), limits); }
    void opText(const char* name, const QString& text, bool limits) {
        m.emplace(QString::fromLatin1(name), std::make_shared<MTLargeOperator>(text, limits));
    }
    void space(const char* name, double mu) {
        m.emplace(QString::fromLatin1(name), std::make_shared<MTMathSpace>(mu));
    }
    void style(const char* name, MTLineStyle s) {
        m.emplace(QString::fromLatin1(name), std::make_shared<MTMathStyle>(s));
    }
};

} // namespace

MTStringMap<MTMathAtomPtr> buildSupportedLatexSymbols() {
    MTStringMap<MTMathAtomPtr> m;
    m.reserve(256);
    SymbolBuilder b{m};

    b.plain("square", T::placeholder, 0x25A1);

    // Lower-case Greek, in code-point order.
    b.plain("alpha", T::variable, 0x03B1);
    b.plain("beta", T::variable, 0x03B2);
    b.plain("gamma", T::variable, 0x03B3);
    b.plain("delta", T::variable, 0x03B4);
    b.plain("varepsilon", T::variable, 0x03B5);
    b.plain("zeta", T::variable, 0x03B6);
    b.plain("eta", T::variable, 0x03B7);
    b.plain("theta", T::variable, 0x03B8);
    b.plain("iota", T::variable, 0x03B9);
    b.plain("kappa", T::variable, 0x03BA);
    b.plain("lambda", T::variable, 0x03BB);
    b.plain("mu", T::variable, 0x03BC);
    b.plain("nu", T::variable, 0x03BD);
    b.plain("xi", T::variable, 0x03BE);
    b.plain("omicron", T::variable, 0x03BF);
    b.plain("pi", T::variable, 0x03C0);
    b.plain("rho", T::variable, 0x03C1);
    b.plain("varsigma", T::variable, 0x03C2);
    b.plain("sigma", T::variable, 0x03C3);
    b.plain("tau", T::variable, 0x03C4);
    b.plain("upsilon", T::variable, 0x03C5);
    b.plain("varphi", T::variable, 0x03C6);
    b.plain("chi", T::variable, 0x03C7);
    b.plain("psi", T::variable, 0x03C8);
    b.plain("omega", T::variable, 0x03C9);

    // Greek symbol forms, already mathematical italic.
    b.plain("epsilon", T::ordinary, 0x1D716);
    b.plain("vartheta", T::ordinary, 0x1D717);
    b.plain("phi", T::ordinary, 0x1D719);
    b.plain("varrho", T::ordinary, 0x1D71A);
    b.plain("varpi", T::ordinary, 0x1D71B);

    // Capital Greek.
    b.plain("Gamma", T::variable, 0x0393);
    b.plain("Delta", T::variable, 0x0394);
    b.plain("Theta", T::variable, 0x0398);
    b.plain("Lambda", T::variable, 0x039B);
    b.plain("Xi", T::variable, 0x039E);
    b.plain("Pi", T::variable, 0x03A0);
    b.plain("Sigma", T::variable, 0x03A3);
    b.plain("Upsilon", T::variable, 0x03A5);
    b.plain("Phi", T::variable, 0x03A6);
    b.plain("Psi", T::variable, 0x03A8);
    b.plain("Omega", T::variable, 0x03A9);

    b.plain("lceil", T::open, 0x2308);
    b.plain("lfloor", T::open, 0x230A);
    b.plain("langle", T::open, 0x27E8);
    b.plain("lgroup", T::open, 0x27EE);

    b.plain("rceil", T::close, 0x2309);
    b.plain("rfloor", T::close, 0x230B);
    b.plain("rangle", T::close, 0x27E9);
    b.plain("rgroup", T::close, 0x27EF);

    // Relations: arrows.
    b.plain("leftarrow", T::relation, 0x2190);
    b.plain("uparrow", T::relation, 0x2191);
    b.plain("rightarrow", T::relation, 0x2192);
    b.plain("downarrow", T::relation, 0x2193);
    b.plain("leftrightarrow", T::relation, 0x2194);
    b.plain("updownarrow", T::relation, 0x2195);
    b.plain("nwarrow", T::relation, 0x2196);
    b.plain("nearrow", T::relation, 0x2197);
    b.plain("searrow", T::relation, 0x2198);
    b.plain("swarrow", T::relation, 0x2199);
    b.plain("mapsto", T::relation, 0x21A6);
    b.plain("Leftarrow", T::relation, 0x21D0);
    b.plain("Uparrow", T::relation, 0x21D1);
    b.plain("Rightarrow", T::relation, 0x21D2);
    b.plain("Downarrow", T::relation, 0x21D3);
    b.plain("Leftrightarrow", T::relation, 0x21D4);
    b.plain("Updownarrow", T::relation, 0x21D5);
    b.plain("longleftarrow", T::relation, 0x27F5);
    b.plain("longrightarrow", T::relation, 0x27F6);
    b.plain("longleftrightarrow", T::relation, 0x27F7);
    b.plain("Longleftarrow", T::relation, 0x27F8);
    b.plain("Longrightarrow", T::relation, 0x27F9);
    b.plain("Longleftrightarrow", T::relation, 0x27FA);
    // Relations: the others.
    b.plain("leq", T::relation, 0x2264);
    b.plain("geq", T::relation, 0x2265);
    b.plain("neq", T::relation, 0x2260);
    b.plain("in", T::relation, 0x2208);
    b.plain("notin", T::relation, 0x2209);
    b.plain("ni", T::relation, 0x220B);
    b.plain("propto", T::relation, 0x221D);
    b.plain("mid", T::relation, 0x2223);
    b.plain("parallel", T::relation, 0x2225);
    b.plain("sim", T::relation, 0x223C);
    b.plain("simeq", T::relation, 0x2243);
    b.plain("cong", T::relation, 0x2245);
    b.plain("approx", T::relation, 0x2248);
    b.plain("asymp", T::relation, 0x224D);
    b.plain("doteq", T::relation, 0x2250);
    b.plain("equiv", T::relation, 0x2261);
    b.plain("gg", T::relation, 0x226B);
    b.plain("ll", T::relation, 0x226A);
    b.plain("prec", T::relation, 0x227A);
    b.plain("succ", T::relation, 0x227B);
    b.plain("subset", T::relation, 0x2282);
    b.plain("supset", T::relation, 0x2283);
    b.plain("subseteq", T::relation, 0x2286);
    b.plain("supseteq", T::relation, 0x2287);
    b.plain("sqsubset", T::relation, 0x228F);
    b.plain("sqsupset", T::relation, 0x2290);
    b.plain("sqsubseteq", T::relation, 0x2291);
    b.plain("sqsupseteq", T::relation, 0x2292);
    b.plain("models", T::relation, 0x22A7);
    b.plain("perp", T::relation, 0x27C2);

    // Binary operators.
    b.plain("times", T::binaryOperator, 0x00D7);
    b.plain("div", T::binaryOperator, 0x00F7);
    b.plain("pm", T::binaryOperator, 0x00B1);
    b.plain("dagger", T::binaryOperator, 0x2020);
    b.plain("ddagger", T::binaryOperator, 0x2021);
    b.plain("mp", T::binaryOperator, 0x2213);
    b.plain("setminus", T::binaryOperator, 0x2216);
    b.plain("ast", T::binaryOperator, 0x2217);
    b.plain("circ", T::binaryOperator, 0x2218);
    b.plain("bullet", T::binaryOperator, 0x2219);
    b.plain("wedge", T::binaryOperator, 0x2227);
    b.plain("vee", T::binaryOperator, 0x2228);
    b.plain("cap", T::binaryOperator, 0x2229);
    b.plain("cup", T::binaryOperator, 0x222A);
    b.plain("wr", T::binaryOperator, 0x2240);
    b.plain("uplus", T::binaryOperator, 0x228E);
    b.plain("sqcap", T::binaryOperator, 0x2293);
    b.plain("sqcup", T::binaryOperator, 0x2294);
    b.plain("oplus", T::binaryOperator, 0x2295);
    b.plain("ominus", T::binaryOperator, 0x2296);
    b.plain("otimes", T::binaryOperator, 0x2297);
    b.plain("oslash", T::binaryOperator, 0x2298);
    b.plain("odot", T::binaryOperator, 0x2299);
    b.plain("star", T::binaryOperator, 0x22C6);
    b.plain("cdot", T::binaryOperator, 0x22C5);
    b.plain("amalg", T::binaryOperator, 0x2A3F);

    // Named operators without limits.
    for (const char* name : {"log", "lg", "ln", "sin", "arcsin", "sinh", "cos", "arccos", "cosh", "tan", "arctan",
                             "tanh", "cot", "coth", "sec", "csc", "arg", "ker", "dim", "hom", "exp", "deg"})
        b.op(name, false);
    // Named operators with limits.
    for (const char* name : {"lim", "max", "min", "sup", "inf", "det", "Pr", "gcd"})
        b.op(name, true);
    b.opText("limsup", QStringLiteral("lim sup"), true);
    b.opText("liminf", QStringLiteral("lim inf"), true);
    // Operators with a symbol nucleus.
    b.opText("prod", cp(0x220F), true);
    b.opText("coprod", cp(0x2210), true);
    b.opText("sum", cp(0x2211), true);
    b.opText("bigwedge", cp(0x22C0), true);
    b.opText("bigvee", cp(0x22C1), true);
    b.opText("bigcap", cp(0x22C2), true);
    b.opText("bigcup", cp(0x22C3), true);
    b.opText("bigodot", cp(0x2A00), true);
    b.opText("bigoplus", cp(0x2A01), true);
    b.opText("bigotimes", cp(0x2A02), true);
    b.opText("biguplus", cp(0x2A04), true);
    b.opText("bigsqcup", cp(0x2A06), true);
    b.opText("int", cp(0x222B), false);
    b.opText("oint", cp(0x222E), false);

    b.plain("{", T::open, '{');
    b.plain("}", T::close, '}');

    // Escaped characters.
    b.plain("$", T::ordinary, '$');
    b.plain("&", T::ordinary, '&');
    b.plain("#", T::ordinary, '#');
    b.plain("%", T::ordinary, '%');
    b.plain("_", T::ordinary, '_');
    b.plain(" ", T::ordinary, ' ');
    b.plain("backslash", T::ordinary, 0x005C);

    b.plain("colon", T::punctuation, 0x003A);
    b.plain("cdotp", T::punctuation, 0x00B7);

    b.plain("degree", T::ordinary, 0x00B0);
    b.plain("neg", T::ordinary, 0x00AC);
    b.plain("angstrom", T::ordinary, 0x00C5);
    b.plain("aa", T::ordinary, 0x00E5);
    b.plain("ae", T::ordinary, 0x00E6);
    b.plain("o", T::ordinary, 0x00F8);
    b.plain("oe", T::ordinary, 0x0153);
    b.plain("ss", T::ordinary, 0x00DF);
    b.plain("cc", T::ordinary, 0x00E7);
    b.plain("CC", T::ordinary, 0x00C7);
    b.plain("O", T::ordinary, 0x00D8);
    b.plain("AE", T::ordinary, 0x00C6);
    b.plain("OE", T::ordinary, 0x0152);
    b.plain("|", T::ordinary, 0x2016);
    b.plain("vert", T::ordinary, 0x007C);
    b.plain("ldots", T::ordinary, 0x2026);
    b.plain("prime", T::ordinary, 0x2032);
    b.plain("hbar", T::ordinary, 0x210F);
    b.plain("lbar", T::ordinary, 0x019B);
    b.plain("Im", T::ordinary, 0x2111);
    b.plain("ell", T::ordinary, 0x2113);
    b.plain("wp", T::ordinary, 0x2118);
    b.plain("Re", T::ordinary, 0x211C);
    b.plain("mho", T::ordinary, 0x2127);
    b.plain("aleph", T::ordinary, 0x2135);
    b.plain("forall", T::ordinary, 0x2200);
    b.plain("exists", T::ordinary, 0x2203);
    b.plain("emptyset", T::ordinary, 0x2205);
    b.plain("nabla", T::ordinary, 0x2207);
    b.plain("infty", T::ordinary, 0x221E);
    b.plain("angle", T::ordinary, 0x2220);
    b.plain("top", T::ordinary, 0x22A4);
    b.plain("bot", T::ordinary, 0x22A5);
    b.plain("vdots", T::ordinary, 0x22EE);
    b.plain("cdots", T::ordinary, 0x22EF);
    b.plain("ddots", T::ordinary, 0x22F1);
    b.plain("triangle", T::ordinary, 0x25B3);
    b.plain("imath", T::ordinary, 0x1D6A4);
    b.plain("jmath", T::ordinary, 0x1D6A5);
    b.plain("upquote", T::ordinary, 0x0027);
    b.plain("partial", T::ordinary, 0x1D715);

    // Spaces, in mu.
    b.space(",", 3);
    b.space(">", 4);
    b.space(";", 5);
    b.space("!", -3);
    b.space("quad", 18);
    b.space("qquad", 36);

    b.style("displaystyle", MTLineStyle::display);
    b.style("textstyle", MTLineStyle::text);
    b.style("scriptstyle", MTLineStyle::script);
    b.style("scriptscriptstyle", MTLineStyle::scriptOfScript);
    return m;
}

MTStringMap<QString> buildAliases() {
    MTStringMap<QString> m;
    const std::pair<const char*, const char*> rows[] = {
        {"lnot", "neg"}, {"land", "wedge"},    {"lor", "vee"},         {"ne", "neq"},
        {"le", "leq"},   {"ge", "geq"},        {"lbrace", "{"},        {"rbrace", "}"},
        {"Vert", "|"},   {"gets", "leftarrow"}, {"to", "rightarrow"}, {"iff", "Longleftrightarrow"},
        {"AA", "angstrom"},
    };
    for (const auto& [alias, name] : rows)
        m.emplace(QString::fromLatin1(alias), QString::fromLatin1(name));
    return m;
}

MTStringMap<QString> buildDelimiters() {
    MTStringMap<QString> m;
    const std::pair<const char*, char32_t> rows[] = {
        {"(", 0x28},        {")", 0x29},           {"[", 0x5B},          {"]", 0x5D},
        {"<", 0x2329},      {">", 0x232A},         {"/", 0x2F},          {"\\", 0x5C},
        {"|", 0x7C},        {"lgroup", 0x27EE},    {"rgroup", 0x27EF},   {"||", 0x2016},
        {"Vert", 0x2016},   {"vert", 0x7C},        {"uparrow", 0x2191},  {"downarrow", 0x2193},
        {"updownarrow", 0x2195}, {"Uparrow", 0x21D1}, {"Downarrow", 0x21D3}, {"Updownarrow", 0x21D5},
        {"backslash", 0x5C}, {"rangle", 0x232A},   {"langle", 0x2329},   {"rbrace", 0x7D},
        {"}", 0x7D},        {"{", 0x7B},           {"lbrace", 0x7B},     {"lceil", 0x2308},
        {"rceil", 0x2309},  {"lfloor", 0x230A},    {"rfloor", 0x230B},
    };
    m.emplace(QStringLiteral("."), QString());
    for (const auto& [name, c] : rows)
        m.emplace(QString::fromLatin1(name), cp(c));
    return m;
}

MTStringMap<QString> buildAccents() {
    MTStringMap<QString> m;
    const std::pair<const char*, char32_t> rows[] = {
        {"grave", 0x0300}, {"acute", 0x0301}, {"hat", 0x0302},  {"tilde", 0x0303},
        {"bar", 0x0304},   {"breve", 0x0306}, {"dot", 0x0307},  {"ddot", 0x0308},
        {"check", 0x030C}, {"vec", 0x20D7},   {"widehat", 0x0302}, {"widetilde", 0x0303},
    };
    for (const auto& [name, c] : rows)
        m.emplace(QString::fromLatin1(name), cp(c));
    return m;
}

MTStringMap<std::pair<QString, QString>> buildSupportedAccentedCharacters() {
    MTStringMap<std::pair<QString, QString>> m;
    struct Row {
        char32_t c;
        const char* name;
        const char* base;
    };
    const Row rows[] = {
        // acute
        {0x00E1, "acute", "a"}, {0x00E9, "acute", "e"}, {0x00ED, "acute", "i"}, {0x00F3, "acute", "o"},
        {0x00FA, "acute", "u"}, {0x00FD, "acute", "y"},
        {0x00C1, "acute", "A"}, {0x00C9, "acute", "E"}, {0x00CD, "acute", "I"}, {0x00D3, "acute", "O"},
        {0x00DA, "acute", "U"}, {0x00DD, "acute", "Y"},
        // grave
        {0x00E0, "grave", "a"}, {0x00E8, "grave", "e"}, {0x00EC, "grave", "i"}, {0x00F2, "grave", "o"},
        {0x00F9, "grave", "u"},
        {0x00C0, "grave", "A"}, {0x00C8, "grave", "E"}, {0x00CC, "grave", "I"}, {0x00D2, "grave", "O"},
        {0x00D9, "grave", "U"},
        // hat
        {0x00E2, "hat", "a"}, {0x00EA, "hat", "e"}, {0x00EE, "hat", "i"}, {0x00F4, "hat", "o"},
        {0x00FB, "hat", "u"},
        {0x00C2, "hat", "A"}, {0x00CA, "hat", "E"}, {0x00CE, "hat", "I"}, {0x00D4, "hat", "O"},
        {0x00DB, "hat", "U"},
        // ddot
        {0x00E4, "ddot", "a"}, {0x00EB, "ddot", "e"}, {0x00EF, "ddot", "i"}, {0x00F6, "ddot", "o"},
        {0x00FC, "ddot", "u"}, {0x00FF, "ddot", "y"},
        {0x00C4, "ddot", "A"}, {0x00CB, "ddot", "E"}, {0x00CF, "ddot", "I"}, {0x00D6, "ddot", "O"},
        {0x00DC, "ddot", "U"},
        // tilde
        {0x00E3, "tilde", "a"}, {0x00F1, "tilde", "n"}, {0x00F5, "tilde", "o"},
        {0x00C3, "tilde", "A"}, {0x00D1, "tilde", "N"}, {0x00D5, "tilde", "O"},
        // symbols
        {0x00E7, "cc", ""}, {0x00F8, "o", ""}, {0x00E5, "aa", ""}, {0x00E6, "ae", ""}, {0x0153, "oe", ""},
        {0x00DF, "ss", ""}, {0x0027, "upquote", ""}, {0x00C7, "CC", ""}, {0x00D8, "O", ""},
        {0x00C5, "AA", ""}, {0x00C6, "AE", ""}, {0x0152, "OE", ""},
    };
    for (const Row& r : rows)
        m.emplace(cp(r.c), std::make_pair(QString::fromLatin1(r.name), QString::fromLatin1(r.base)));
    return m;
}

MTStringMap<MTFontStyle> buildFontStyles() {
    using S = MTFontStyle;
    MTStringMap<MTFontStyle> m;
    const std::pair<const char*, MTFontStyle> rows[] = {
        {"mathnormal", S::defaultStyle},
        {"mathrm", S::roman},     {"textrm", S::roman},     {"rm", S::roman},      {"text", S::roman},
        {"mathbf", S::bold},      {"bf", S::bold},          {"textbf", S::bold},
        {"mathcal", S::caligraphic}, {"cal", S::caligraphic},
        {"mathtt", S::typewriter}, {"texttt", S::typewriter},
        {"mathit", S::italic},    {"textit", S::italic},    {"mit", S::italic},
        {"mathsf", S::sansSerif}, {"textsf", S::sansSerif},
        {"mathfrak", S::fraktur}, {"frak", S::fraktur},
        {"mathbb", S::blackboard},
        {"mathbfit", S::boldItalic}, {"bm", S::boldItalic},
    };
    for (const auto& [name, style] : rows)
        m.emplace(QString::fromLatin1(name), style);
    return m;
}

MTStringMap<QStringList> buildMatrixEnvs() {
    MTStringMap<QStringList> m;
    m.emplace(QStringLiteral("matrix"), QStringList());
    m.emplace(QStringLiteral("pmatrix"), QStringList{QStringLiteral("("), QStringLiteral(")")});
    m.emplace(QStringLiteral("bmatrix"), QStringList{QStringLiteral("["), QStringLiteral("]")});
    m.emplace(QStringLiteral("Bmatrix"), QStringList{QStringLiteral("{"), QStringLiteral("}")});
    m.emplace(QStringLiteral("vmatrix"), QStringList{QStringLiteral("vert"), QStringLiteral("vert")});
    m.emplace(QStringLiteral("Vmatrix"), QStringList{QStringLiteral("Vert"), QStringLiteral("Vert")});
    return m;
}

} // namespace zepla::math::detail
