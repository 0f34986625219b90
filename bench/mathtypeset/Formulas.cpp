// The formulas the typesetter benchmark times.
#include "Formulas.h"

namespace {

// "%1" becomes a number that changes from one round of the list to the next.
constexpr const char* kTemplates[] = {
    "x^2+y^2=z^%1",
    "a_{n+%1} = a_n + d",
    "E = mc^2 + %1",
    "f(x) = ax^2 + bx + c_%1",
    "\\alpha + \\beta = \\gamma_{%1}",
    "\\mathbb{R}^{%1} \\times \\mathbb{R}^m",
    "\\mathbf{v} \\cdot \\mathbf{w} = %1",
    "x_i^{(%1)} \\leq y_i^{(%1)}",
    "\\color{#FF0000}{x_%1} + y",
    "\\textcolor{#0000FF}{a_i} \\geq b_{%1}",
    "a \\, b \\; c \\quad d_%1",
    "\\scriptstyle x + y = %1",
    "\\mathcal{F}(\\omega) = f_%1",
    "\\mathfrak{g}_{%1} \\subset \\mathfrak{h}",
    "p_{%1} \\to q \\neq r",
    "\\sigma^2 = E[X^2] - \\mu^{%1}",
    "e^{i\\pi} + %1 = 0",
    "\\Delta x \\cdot \\Delta p \\geq \\hbar_%1",
    "z = r e^{i\\theta_{%1}}",
    "\\lambda_{%1} \\in \\mathbb{C}",
    "x \\pm y = \\pm %1",
    "\\nabla f(x_{%1}) = 0",
    "\\colorbox{#FFFF00}{k} = k^2_{%1}",
    "(a+b)^{%1} = a^2 + 2ab + b^2",
    "\\mathsf{A}^{T}_{%1} \\mathtt{B}",
    "y' = ky_{%1}",
    "\\epsilon_{ij} \\delta^{j%1}",
    "|x - %1| < \\varepsilon",
    "\\displaystyle \\phi_{%1} \\psi^{2}",
    "\\partial_t u = \\kappa\\, \\partial_x^2 u_{%1}",
};

} // namespace

QStringList typicalFormulas(int count) {
    QStringList formulas;
    formulas.reserve(count);
    const int templates = int(std::size(kTemplates));
    for (int i = 0; i < count; ++i)
        formulas.append(QString::fromLatin1(kTemplates[i % templates]).arg(i / templates + 1));
    return formulas;
}
