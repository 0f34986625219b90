// Typical formulas as an assistant writes them: fractions, sums and integrals with limits, roots,
// matrices, accents, cases, alignments, delimiters, styles and colours. Every one of them parses.
// Shared by the parser tests (round trips) and the parse benchmark (bench/mathparse), which expands
// them to 1,000 formulas with typicalFormulaCorpus().
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace zepla::math::corpus {

inline const char* const kTypicalFormulas[] = {
    // Fractions and binomials
    R"(\frac{1}{2})",
    R"(\frac{a+b}{c-d})",
    R"(\frac{\partial f}{\partial x})",
    R"(\frac{d^2y}{dx^2}+p(x)\frac{dy}{dx}+q(x)y=0)",
    R"(\frac{1}{1+\frac{1}{x}})",
    R"(x=\frac{-b\pm\sqrt{b^2-4ac}}{2a})",
    R"(\binom{n}{k}=\frac{n!}{k!(n-k)!})",
    R"({n \choose k})",
    R"(a \over b)",
    R"({a+b \over c})",
    R"({x \atop y})",
    R"(\frac{\sin x}{x}\to 1)",
    R"(P(A|B)=\frac{P(B|A)P(A)}{P(B)})",
    R"(\frac{n(n+1)}{2})",
    R"(\frac{1}{\sqrt{2\pi\sigma^2}}e^{-\frac{(x-\mu)^2}{2\sigma^2}})",
    // Sums, products, integrals and limits
    R"(\sum_{i=1}^{n} i=\frac{n(n+1)}{2})",
    R"(\sum_{k=0}^{\infty}\frac{x^k}{k!}=e^x)",
    R"(\prod_{p\ \mathrm{prime}}\frac{1}{1-p^{-s}})",
    R"(\int_0^1 x^2\,dx=\frac{1}{3})",
    R"(\int_{-\infty}^{\infty}e^{-x^2}\,dx=\sqrt{\pi})",
    R"(\oint_C \vec{F}\cdot d\vec{r})",
    R"(\lim_{x\to 0}\frac{\sin x}{x}=1)",
    R"(\lim_{n\to\infty}\left(1+\frac{1}{n}\right)^n=e)",
    R"(\limsup_{n\to\infty} a_n)",
    R"(\sum\limits_{i=0}^{n} a_i)",
    R"(\int\limits_a^b f(x)\,dx)",
    R"(\sum\nolimits_{j} b_j)",
    R"(\max_{1\le i\le n} x_i)",
    R"(\min_{x\in X} f(x))",
    R"(\sup_{t>0}\|u(t)\|)",
    R"(\bigcup_{i=1}^{\infty} A_i)",
    R"(\bigcap_{k} B_k)",
    R"(\bigoplus_{n\ge 0} V_n)",
    R"(\int_0^{2\pi}\int_0^{\pi} r^2\sin\theta\,d\theta\,d\phi)",
    R"(\frac{d}{dx}\int_a^x f(t)\,dt=f(x))",
    R"(\sum_{n=1}^{\infty}\frac{1}{n^2}=\frac{\pi^2}{6})",
    R"(\log_2 n)",
    R"(\ln(xy)=\ln x+\ln y)",
    R"(\det(AB)=\det A\det B)",
    R"(\gcd(a,b)\cdot\mathrm{lcm}(a,b)=ab)",
    // Roots and powers
    R"(\sqrt{2})",
    R"(\sqrt[3]{x+1})",
    R"(\sqrt{a^2+b^2})",
    R"(\sqrt[n]{\frac{x}{y}})",
    R"(e^{i\pi}+1=0)",
    R"(x^{2^{n}})",
    R"(a_{ij}^{(k)})",
    R"(x_1^2+x_2^2)",
    R"(2^{10}=1024)",
    R"(10^{-3})",
    R"(f^{-1}(y))",
    R"(f'(x)=\lim_{h\to 0}\frac{f(x+h)-f(x)}{h})",
    R"(y''+y=0)",
    // Matrices
    R"(\begin{matrix} a & b \\ c & d \end{matrix})",
    R"(\begin{pmatrix} 1 & 0 \\ 0 & 1 \end{pmatrix})",
    R"(\begin{bmatrix} a_{11} & a_{12} \\ a_{21} & a_{22} \end{bmatrix})",
    R"(\begin{vmatrix} a & b \\ c & d \end{vmatrix}=ad-bc)",
    R"(\begin{Vmatrix} x \\ y \end{Vmatrix})",
    R"(\begin{Bmatrix} 1 & 2 & 3 \end{Bmatrix})",
    R"(A=\begin{pmatrix} \cos\theta & -\sin\theta \\ \sin\theta & \cos\theta \end{pmatrix})",
    R"(\begin{pmatrix} 1 & 2 & 3 \\ 4 & 5 & 6 \\ 7 & 8 & 9 \end{pmatrix})",
    R"(I_n=\begin{bmatrix} 1 & \cdots & 0 \\ \vdots & \ddots & \vdots \\ 0 & \cdots & 1 \end{bmatrix})",
    R"(\begin{pmatrix} x \\ y \end{pmatrix}^{T})",
    R"(\det\begin{vmatrix} 2 & 1 \\ 1 & 3 \end{vmatrix}=5)",
    // Cases and alignments
    R"(|x|=\begin{cases} x & x\ge 0 \\ -x & x<0 \end{cases})",
    R"(f(n)=\begin{cases} n/2 & \text{if } n \text{ even} \\ 3n+1 & \text{otherwise} \end{cases})",
    R"(\delta_{ij}=\begin{cases} 1 & i=j \\ 0 & i\ne j \end{cases})",
    R"(\begin{aligned} a &= b+c \\ &= d \end{aligned})",
    R"(\begin{aligned} (a+b)^2 &= a^2+2ab+b^2 \\ (a-b)^2 &= a^2-2ab+b^2 \end{aligned})",
    R"(\begin{split} x &= 1 \\ y &= 2 \end{split})",
    R"(\begin{eqnarray} a & = & b \\ c & \le & d \end{eqnarray})",
    R"(\begin{gather} a=b \\ c=d \end{gather})",
    R"(\begin{displaylines} x+y \\ z \end{displaylines})",
    R"(\begin{eqalign} u &= v \\ w &= z \end{eqalign})",
    R"(a & b \\ c & d)",
    // Accents
    R"(\hat{x})",
    R"(\vec{v}\cdot\vec{w}=|v||w|\cos\theta)",
    R"(\bar{z}=x-iy)",
    R"(\tilde{f}(\omega))",
    R"(\dot{x}=\frac{dx}{dt})",
    R"(\ddot{x}+\omega^2 x=0)",
    R"(\widehat{ABC})",
    R"(\widetilde{M})",
    R"(\acute{e}\grave{a}\breve{u}\check{c})",
    R"(\bar{x}=\frac{1}{n}\sum_{i=1}^n x_i)",
    R"(\overline{AB}\perp\underline{CD})",
    R"(\vec{\nabla}\times\vec{E}=-\frac{\partial\vec{B}}{\partial t})",
    // Delimiters
    R"(\left( \frac{a}{b} \right))",
    R"(\left[ x \right])",
    R"(\left\{ x \in \mathbb{R} \mid x>0 \right\})",
    R"(\left\langle \psi \mid \phi \right\rangle)",
    R"(\left| x \right|)",
    R"(\left\| v \right\|_2)",
    R"(\left\lfloor \frac{n}{2} \right\rfloor)",
    R"(\left\lceil \log_2 n \right\rceil)",
    R"(\left. \frac{df}{dx} \right|_{x=0})",
    R"(\left( \sum_{i} a_i \right)^2\le n\sum_i a_i^2)",
    R"(\left\langle u, v \right\rangle=\sum_i u_i v_i)",
    R"(\left/ a \right\backslash)",
    R"(\left\uparrow x \right\Downarrow)",
    R"(\langle x, y\rangle)",
    R"(\lfloor x\rfloor+\lceil y\rceil)",
    // Greek, sets and logic
    R"(\alpha+\beta=\gamma)",
    R"(\Gamma(n)=(n-1)!)",
    R"(\forall\epsilon>0\ \exists\delta>0)",
    R"(A\cup B=B\cup A)",
    R"(A\cap\emptyset=\emptyset)",
    R"(x\in A\setminus B)",
    R"(A\subseteq B\iff A\cap B=A)",
    R"(p\Rightarrow q)",
    R"(\neg(p\land q)\equiv\neg p\lor\neg q)",
    R"(f: X\to Y)",
    R"(x\mapsto x^2)",
    R"(\aleph_0<2^{\aleph_0})",
    R"(\mathbb{N}\subset\mathbb{Z}\subset\mathbb{Q}\subset\mathbb{R}\subset\mathbb{C})",
    R"(\Omega\ne\emptyset)",
    R"(\varphi(n)=n\prod_{p|n}\left(1-\frac{1}{p}\right))",
    R"(\zeta(s)=\sum_{n=1}^\infty n^{-s})",
    R"(\hbar\omega)",
    R"(\ell^2)",
    R"(\nabla\cdot\vec{E}=\frac{\rho}{\varepsilon_0})",
    // Relations and operators
    R"(a\le b\le c)",
    R"(x\approx 3.14159)",
    R"(a\equiv b\ (\mathrm{mod}\ n))",
    R"(f(x)\sim g(x))",
    R"(A\cong B)",
    R"(a\times b\div c)",
    R"(a\cdot b\pm c\mp d)",
    R"(x\propto y)",
    R"(a\ll b\gg c)",
    R"(u\perp v\parallel w)",
    R"(3\times 10^8\,\mathrm{m/s})",
    R"(E=mc^2)",
    R"(F=ma)",
    R"(PV=nRT)",
    R"(a^2+b^2=c^2)",
    R"(-x)",
    R"(1+-2)",
    R"(a:b=c:d)",
    R"(f(x)=x^3-3x+2)",
    R"(0.5+0.25=0.75)",
    R"(\sin^2\theta+\cos^2\theta=1)",
    R"(\tan\theta=\frac{\sin\theta}{\cos\theta})",
    R"(e^{x}=\exp(x))",
    R"(\arg z=\arctan\frac{y}{x})",
    R"(\dim\ker T+\dim\mathrm{im}\, T=n)",
    R"(\Pr[X\ge a]\le\frac{E[X]}{a})",
    // Fonts, text, spacing, styles, colours
    R"(\mathbf{v}=v_1\mathbf{e}_1+v_2\mathbf{e}_2)",
    R"(\mathbb{R}^n)",
    R"(\mathcal{O}(n\log n))",
    R"(\mathrm{d}x)",
    R"(\mathit{diff})",
    R"(\mathsf{T}\mathtt{x}\mathfrak{g})",
    R"(\text{area}=\pi r^2)",
    R"(x=1\quad\text{and}\quad y=2)",
    R"(a\,b\;c\!d\>e\qquad f)",
    R"(\displaystyle\sum_{i=1}^n i)",
    R"(\textstyle\frac{1}{2})",
    R"(\scriptstyle x\scriptscriptstyle y)",
    R"(\color{red}{x}+\color{#00ff00}{y})",
    R"(\textcolor{blue}{\frac{a}{b}})",
    R"(\colorbox{yellow}{E=mc^2})",
    R"(\bm{x}^T A\bm{x})",
    R"(\mathbf{\frac{a}{b}})",
    R"(\text{Kosten: }5\,\text{€})",
    R"(\text{Площадь } S=\pi r^2)",
    R"(v=\frac{ds}{dt}\ \text{м/с})",
    R"(x\_1 + 100\% + \$5 + \#3)",
    R"(a\backslash b)",
    R"(x'+y'''=\prime)",
    R"(\square\triangle\angle ABC)",
    R"(n!\ne n?)",
    R"(\{1,2,3\})",
    R"(\lbrace a \rbrace)",
    R"(\|x\|\vert y\vert)",
    R"(x^2^3)",
    R"({}^{14}_{6}\mathrm{C})",
    R"(\sqrt{\sqrt{\sqrt{x}}})",
    R"(\frac{\frac{\frac{1}{2}}{3}}{4})",
    R"(\overline{\overline{z}}=z)",
    R"(\underline{\text{important}})",
    R"(T_{\mu\nu}=\frac{8\pi G}{c^4}G_{\mu\nu})",
    R"(i\hbar\frac{\partial}{\partial t}\Psi=\hat{H}\Psi)",
    R"(\sigma=\sqrt{\frac{1}{N}\sum_{i=1}^N(x_i-\mu)^2})",
    R"(\mathrm{Var}(X)=E[X^2]-E[X]^2)",
    R"(\binom{n}{0}+\binom{n}{1}+\cdots+\binom{n}{n}=2^n)",
    R"(1+2+\cdots+n)",
    R"(a_1,a_2,\ldots,a_n)",
};

// The hand-written formulas above.
inline QStringList typicalFormulas() {
    QStringList out;
    for (const char* f : kTypicalFormulas)
        out << QString::fromUtf8(f);
    return out;
}

// `count` formulas: the hand-written ones, then variants of them, deterministically: outside
// command names, environment names and colour names, letters and digits are shifted by the round,
// so that every formula is new text of the same shape (a variant that still repeats an earlier
// formula gets one more term).
inline QStringList typicalFormulaCorpus(int count = 1000) {
    const QStringList base = typicalFormulas();
    QStringList out;
    QSet<QString> seen;
    for (int i = 0; out.size() < count; ++i) {
        const QString& f = base[i % base.size()];
        const int round = i / base.size();
        QString v;
        bool inCommand = false;
        bool inName = false;
        for (qsizetype k = 0; k < f.size(); ++k) {
            QChar c = f[k];
            if (c == QLatin1Char('\\')) {
                inCommand = !inCommand || !v.endsWith(QLatin1Char('\\'));
                v += c;
                continue;
            }
            if (inCommand && c.isLetter()) {
                v += c;
                continue;
            }
            if (inCommand && c == QLatin1Char('{') &&
                (v.endsWith(QLatin1String("\\begin")) || v.endsWith(QLatin1String("\\end")) ||
                 v.endsWith(QLatin1String("color")) || v.endsWith(QLatin1String("colorbox"))))
                inName = true;
            inCommand = false;
            if (inName) {
                v += c;
                if (c == QLatin1Char('}'))
                    inName = false;
                continue;
            }
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                c = QChar(u'0' + (c.unicode() - u'0' + round) % 10);
            else if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
                c = QChar(u'a' + (c.unicode() - u'a' + round) % 26);
            else if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                c = QChar(u'A' + (c.unicode() - u'A' + round) % 26);
            v += c;
        }
        if (seen.contains(v))
            v += QStringLiteral("+%1").arg(i);
        seen.insert(v);
        out << v;
    }
    return out;
}

} // namespace zepla::math::corpus
