#include "ui/assistant/RelativeDate.h"

#include <array>
#include <cstdlib>

namespace zepla::ui {

namespace {

struct Unit {
    qint64 seconds;
    const char* one;
    const char* many;
};

// Largest first; an amount is told in the largest unit it fills once.
constexpr std::array<Unit, 7> units{{
    {365 * 86400, "yr.", "yr."},
    {30 * 86400, "mo.", "mo."},
    {7 * 86400, "wk.", "wk."},
    {86400, "day", "days"},
    {3600, "hr.", "hr."},
    {60, "min.", "min."},
    {1, "sec.", "sec."},
}};

} // namespace

QString relativeDate(const QDateTime& moment, const QDateTime& now) {
    const qint64 difference = moment.secsTo(now);
    const qint64 distance = std::llabs(difference);
    const Unit* unit = &units.back();
    for (const Unit& candidate : units) {
        if (distance >= candidate.seconds) {
            unit = &candidate;
            break;
        }
    }
    const qint64 amount = distance / unit->seconds;
    const QString told =
        QStringLiteral("%1 %2").arg(amount).arg(QLatin1String(amount == 1 ? unit->one : unit->many));
    return difference >= 0 ? told + QStringLiteral(" ago") : QStringLiteral("in ") + told;
}

} // namespace zepla::ui
